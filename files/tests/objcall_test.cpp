// The built library end to end: registered and driven late-bound by objcall in a child process.
#include <gtest/gtest.h>

#include "DiskwareTestSupport.h"

using namespace velmora::test;

namespace {

class DiskwareThroughObjcall : public DiskwareTest {
  protected:
    std::string name(const std::string& file) const { return "s:" + velmora::toUtf8(suite(file)); }
};

TEST_F(DiskwareThroughObjcall, FileObjectAnswersLateBound) {
    write("abc.TXT", "abc");
    Output out = objcall({"--register", VELMORA_DISKWARE_PATH, "Diskware.FileObject",
                          "FileName=" + name("abc.TXT"), "Exists", "CRC32", "CRCAlder32", "FileSize",
                          "Extension", "Title", "PutDataInFile(empty, empty, i16:1)", "timeFileToDate(d:0)"});
    EXPECT_EQ(out.status, 0);
    EXPECT_EQ(out.text,
              "empty\nb:true\ni32:891568578\ni32:38600999\ni32:3\ns:txt\ns:abc.TXT\ni32:2\n"
              "date:1601-01-01T00:00:00\n");
    EXPECT_EQ(read("abc.TXT"), std::string("abc\x01\x00", 5));

    write("w", "0123456789");
    Output wipe = objcall({"Diskware.FileObject", "FileDelete(i32:3, " + name("w") + ", empty, i16:1)"});
    EXPECT_EQ(wipe.text,
              "b:true\n"
              "  event Progress(i16:100)\n"
              "  event Progress(i16:100)\n");
    EXPECT_FALSE(exists("w"));

    Output missing = objcall({"Diskware.FileObject", "FileExecute(" + name("x.qqzx") + ")", "FileName"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.text, "error 2 FileObject:FileExecute: File not found\n");
}

TEST_F(DiskwareThroughObjcall, DirectoryAndFilesObjects) {
    write("t/a.txt", "");
    Output dir =
        objcall({"--register", VELMORA_DISKWARE_PATH, "Diskware.DirectoryObject", "Path=" + name("n\\m"),
                 "Exists", "Create", "Exists", "Delete(" + name("n\\m") + ")", "Delete"});
    EXPECT_EQ(dir.status, 0);
    EXPECT_EQ(dir.text, "empty\nb:false\nb:true\nb:true\nb:true\nb:false\n");  // the last: already gone
    Output none = objcall({"Diskware.DirectoryObject", "Create"});
    EXPECT_EQ(none.text, "error 100 DirectoryObject: No path set\n");

    Output files = objcall({"Diskware.FilesObject", "Find(" + name("t\\") + ", s:*.txt)", "Count"});
    std::string found = name("t\\a.txt");  // objcall escapes backslashes inside event lines
    for (std::size_t at = found.find('\\'); at != std::string::npos; at = found.find('\\', at + 2))
        found.insert(at, 1, '\\');
    EXPECT_EQ(files.text, "b:true\n  event FoundFile(" + found + ", b:false)\n  event Completed()\ni32:1\n");
}

}  // namespace
