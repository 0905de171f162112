// The method's own per-file cost in a folder run: 1,000 files of 1 KB encrypted and then decrypted through
// one Main, called by name as the engine calls it, with the default parameters. The key is derived once,
// before the clock starts, so the figures are what every further file costs. Prints files per second and
// the process's CPU time (user + system: less swayed by other work on the machine than the wall clock),
// then the same count of 1 KB byte arrays, which leave the disk out. Usage: argonbox_files_bench [files]
// [rounds]. Built a second time as ageseal_files_bench, for the other password method's Main.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Main.h"
#include "component/calls.h"
#include "runtime/text.h"

#ifndef VELMORA_BENCH_METHOD
#define VELMORA_BENCH_METHOD argonbox::Main
#define VELMORA_BENCH_NAME "argonbox_files_bench"
#endif

namespace {

using namespace velmora;
namespace fs = std::filesystem;

struct Clock {
    double wall;
    double cpu;
};

Clock now() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return {std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(),
            seconds(usage.ru_utime) + seconds(usage.ru_stime)};
}

Clock since(const Clock& start) {
    const Clock end = now();
    return {end.wall - start.wall, end.cpu - start.cpu};
}

void print(const char* what, int count, const Clock& spent) {
    std::printf("  %-20s %7.3f s wall (%5.0f /s), %7.3f s CPU (%5.0f /s)\n", what, spent.wall,
                count / spent.wall, spent.cpu, count / spent.cpu);
}

bool run(const ObjectRef& main, const char16_t* operation, const fs::path& source, const fs::path& dest) {
    Variant s(fromUtf8(source.string())), d(fromUtf8(dest.string())), k(std::u16string(u"folder password")),
        h{ObjectRef()};
    return call(main, operation, s, d, k, h).toBool();
}

Clock files(const ObjectRef& main, const char16_t* operation, const std::vector<fs::path>& files,
            const char* from, const char* to) {
    const Clock start = now();
    for (const fs::path& file : files)
        if (!run(main, operation, fs::path(file).replace_extension(from),
                 fs::path(file).replace_extension(to))) {
            std::fprintf(stderr, "%s failed\n", file.c_str());
            std::exit(1);
        }
    return since(start);
}

Clock arrays(const ObjectRef& main, int count) {
    const Clock start = now();
    for (int i = 0; i < count; ++i) {
        Variant in(std::vector<std::uint8_t>(1024, 'x')), k(std::u16string(u"folder password")),
            h{ObjectRef()};
        Variant sealed = call(main, u"EncryptByte", in, k, h);
        Variant plain = call(main, u"DecryptByte", sealed, k, h);
        if (!plain.isAllocatedArray() || plain.arrayRef().bytes().size() != 1024) {
            std::fprintf(stderr, "byte array %d failed\n", i);
            std::exit(1);
        }
    }
    return since(start);
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
    const char* tmp = std::getenv("TMPDIR");
    const fs::path folder =
        fs::path(tmp ? tmp : "/tmp") / (VELMORA_BENCH_NAME "." + std::to_string(getpid()));
    fs::create_directories(folder);
    std::vector<fs::path> plain;
    const std::string kilobyte(1024, 'x');
    for (int i = 0; i < count; ++i) {
        plain.push_back(folder / ("f" + std::to_string(i) + ".txt"));
        std::ofstream(plain.back(), std::ios::binary) << kilobyte;
    }
    ObjectRef main(makeObject<VELMORA_BENCH_METHOD>());
    files(main, u"EncryptFile", {plain.front()}, ".txt", ".enc");  // the one key derivation
    for (int round = 0; round < rounds; ++round) {
        std::printf("%d files of 1 KB, round %d:\n", count, round + 1);
        print("EncryptFile", count, files(main, u"EncryptFile", plain, ".txt", ".enc"));
        print("DecryptFile", count, files(main, u"DecryptFile", plain, ".enc", ".out"));
        print("Encrypt+DecryptByte", count, arrays(main, count));
    }
    fs::remove_all(folder);
}
