// A real shared library that is no component library: it has no registration entry points.
extern "C" int PlainlibAnswer() {
    return 42;
}
