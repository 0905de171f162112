// What a CreateFileA + CloseHandle pair costs over a bare open + close: the share-mode registration in the
// device's lock file (a few fcntl calls) and the handle table. Also a contended pair: a second handle on
// a file that is already open, which takes the same path plus the conflict checks against the first.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/files.h"
#include "platform/paths.h"

namespace {

// A scratch file in a private folder, removed at the end.
class ScratchFile {
  public:
    ScratchFile() {
        std::string pattern = (std::filesystem::temp_directory_path() / "velmora-bench-XXXXXX").string();
        m_folder = mkdtemp(pattern.data());
        m_native = m_folder + "/file.bin";
        std::ofstream(m_native) << "data";
        m_suite = velmora::toSuitePath(m_native);
    }
    ~ScratchFile() { std::filesystem::remove_all(m_folder); }
    const std::string& native() const { return m_native; }
    const std::string& suite() const { return m_suite; }

  private:
    std::string m_folder, m_native, m_suite;
};

void BM_PosixOpenClose(benchmark::State& state) {
    ScratchFile file;
    for (auto _ : state) {
        const int fd = open(file.native().c_str(), O_RDONLY | O_CLOEXEC);
        benchmark::DoNotOptimize(fd);
        close(fd);
    }
}
BENCHMARK(BM_PosixOpenClose);

void BM_CreateFileCloseHandle(benchmark::State& state) {
    ScratchFile file;
    for (auto _ : state) {
        HANDLE h = CreateFileA(file.suite().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                               nullptr);
        if (h == INVALID_HANDLE_VALUE) state.SkipWithError("CreateFileA failed");
        CloseHandle(h);
    }
}
BENCHMARK(BM_CreateFileCloseHandle);

void BM_CreateFileCloseHandleWhileAnotherIsOpen(benchmark::State& state) {
    ScratchFile file;
    HANDLE held =
        CreateFileA(file.suite().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    for (auto _ : state) {
        HANDLE h = CreateFileA(file.suite().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                               nullptr);
        if (h == INVALID_HANDLE_VALUE) state.SkipWithError("CreateFileA failed");
        CloseHandle(h);
    }
    CloseHandle(held);
}
BENCHMARK(BM_CreateFileCloseHandleWhileAnotherIsOpen);

}  // namespace

BENCHMARK_MAIN();
