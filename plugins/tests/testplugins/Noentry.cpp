// A real library that is no component library: it exports no registration entry points.
extern "C" int noentryAnswer() {
    return 42;
}
