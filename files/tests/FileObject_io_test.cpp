// Reading and writing single values through FileObject's handle members, on real files.
#include <gtest/gtest.h>

#include "DiskwareTestSupport.h"
#include "files/FileObject.h"
#include "platform/files.h"

using namespace velmora;
using namespace velmora::test;

namespace {

class FileObjectIo : public DiskwareTest {
  protected:
    Ref<FileObject> m_file = makeObject<FileObject>();
};

TEST_F(FileObjectIo, OpenRecordsHandleSizeAndOpenedFlag) {
    write("empty", "");
    write("four", "1234");
    const std::int32_t handle = m_file->FileOpen(suite("empty"));
    EXPECT_GT(handle, 0);
    EXPECT_FALSE(m_file->IsOpened());  // an empty file does not count as opened
    m_file->FileClose();
    EXPECT_EQ(m_file->FileHandle(), 0);
    EXPECT_EQ(m_file->FileName(), u"");

    EXPECT_GT(m_file->FileOpen(suite("four")), 0);
    EXPECT_TRUE(m_file->IsOpened());
    write("four", "123456");
    EXPECT_EQ(m_file->FileSize(), 4);  // the size recorded at opening
    m_file->FileClose();
    m_file->FileClose();  // the second does nothing
    EXPECT_FALSE(m_file->IsOpened());

    EXPECT_EQ(m_file->FileOpen(suite("missing")), 0);
    EXPECT_EQ(m_file->FileHandle(), -1);
    EXPECT_EQ(m_file->FileName(), suite("missing"));
}

TEST_F(FileObjectIo, EveryValueTypeRoundTripsWithItsWidth) {
    const Variant values[] = {Variant(std::int16_t(-2)),
                              Variant(std::int32_t(-70000)),
                              Variant(1.5f),
                              Variant(-2.25),
                              Variant(Currency{123456789}),
                              Variant(Date{45356.5}),
                              Variant(true),
                              Variant(std::uint8_t(200))};
    const Variant zeros[] = {
        Variant(std::int16_t(0)), Variant(std::int32_t(0)), Variant(0.0f),  Variant(0.0),
        Variant(Currency{0}),     Variant(Date{0}),         Variant(false), Variant(std::uint8_t(0))};
    const std::size_t widths[] = {2, 4, 4, 8, 8, 8, 2, 1};
    const std::int32_t handle = m_file->FileOpen(suite("values"), FileReadWrite, FileShareNone,
                                                 FileCreateAlways, FileAttributeNormal);
    ASSERT_GT(handle, 0);
    for (std::size_t i = 0; i < 8; ++i) {
        Variant value = values[i];
        EXPECT_EQ(m_file->PutData(0, value), static_cast<std::int32_t>(widths[i])) << i;
    }
    EXPECT_TRUE(m_file->SetFilePosition(0, 0));
    for (std::size_t i = 0; i < 8; ++i) {
        Variant typed = zeros[i];  // a variable of the same type receives the value
        EXPECT_EQ(m_file->GetData(0, typed), static_cast<std::int32_t>(widths[i])) << i;
        EXPECT_EQ(typed, values[i]) << i;
    }
    Variant atEnd(std::int16_t(7));
    EXPECT_EQ(m_file->GetData(handle, atEnd), 0);
    EXPECT_EQ(atEnd, Variant(std::int16_t(0)));
    m_file->FileClose();
    EXPECT_EQ(read("values").size(), 37u);
}

TEST_F(FileObjectIo, GetDataFromFileReadsLittleEndianAndForgetsTheName) {
    write("bytes", std::string("\x01\x02\x03\x04", 4));
    Variant data(std::int32_t(0));
    EXPECT_EQ(m_file->GetDataFromFile(suite("bytes"), 0, data), 4);
    EXPECT_EQ(data, Variant(std::int32_t(67305985)));
    EXPECT_EQ(m_file->FileName(), u"");
    EXPECT_EQ(m_file->FileHandle(), 0);
    Variant word(std::int16_t(0));
    EXPECT_EQ(m_file->GetDataFromFile(suite("bytes"), 2, word), 2);
    EXPECT_EQ(word, Variant(std::int16_t(0x0403)));
}

TEST_F(FileObjectIo, PutDataInFileCreatesThenAppends) {
    Variant one(std::int16_t(1));
    EXPECT_EQ(m_file->PutDataInFile(suite("new"), 0, one), 2);
    EXPECT_EQ(read("new"), std::string("\x01\x00", 2));
    EXPECT_EQ(m_file->PutDataInFile(suite("new"), 0, one), 2);
    EXPECT_EQ(read("new"), std::string("\x01\x00\x01\x00", 4));
    EXPECT_EQ(m_file->FileName(), u"");
    Variant byte(std::uint8_t(9));
    EXPECT_EQ(m_file->PutDataInFile(suite("new"), 1, byte), 1);  // a position other than 0 overwrites
    EXPECT_EQ(read("new"), std::string("\x01\x09\x01\x00", 4));
}

TEST_F(FileObjectIo, BadInputGetsZeroAndChangesNothing) {
    write("f", "abcd");
    Variant nothing;
    Variant emptyText(u"");
    Variant object = Variant::nothing();
    EXPECT_EQ(m_file->PutDataInFile(suite("f"), 0, nothing), 0);
    EXPECT_EQ(m_file->PutDataInFile(suite("f"), 0, emptyText), 0);
    EXPECT_EQ(m_file->PutDataInFile(suite("f"), 0, object), 0);
    EXPECT_EQ(m_file->GetDataFromFile(suite("f"), 0, nothing), 0);
    Variant value(std::int32_t(5));
    EXPECT_EQ(makeObject<FileObject>()->PutDataInFile(u"", 0, value), 0);
    EXPECT_EQ(m_file->PutDataInFile(suite("f"), -4, value), 0);  // a negative position fails
    EXPECT_EQ(read("f"), "abcd");
    std::filesystem::create_directories(native("folder"));
    EXPECT_EQ(m_file->PutDataInFile(suite("folder"), 0, value), 0);
    EXPECT_EQ(m_file->GetData(0, value), 0);  // no handle
    EXPECT_EQ(m_file->PutData(0, value), 0);
    EXPECT_FALSE(m_file->SetFilePosition(0, 0));
}

TEST_F(FileObjectIo, NegativePositionClosesTheHandle) {
    write("f", "abcd");
    const std::int32_t handle = m_file->FileOpen(suite("f"));
    ASSERT_GT(handle, 0);
    EXPECT_FALSE(m_file->SetFilePosition(0, -1));
    EXPECT_EQ(m_file->FileHandle(), 0);
    EXPECT_EQ(m_file->FileName(), u"");
    EXPECT_FALSE(
        CloseHandle(reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(handle))));  // already closed
}

TEST_F(FileObjectIo, TextAndByteArraysMoveTheirBytes) {
    const std::int32_t handle =
        m_file->FileOpen(suite("t"), FileReadWrite, FileShareNone, FileCreateAlways, FileAttributeNormal);
    ASSERT_GT(handle, 0);
    Variant text(u"h\u00e9!");
    Variant bytes(std::vector<std::uint8_t>{7, 8});
    EXPECT_EQ(m_file->PutData(0, text), 4);  // UTF-8
    EXPECT_EQ(m_file->PutData(0, bytes), 2);
    m_file->SetFilePosition(0, 0);
    Variant readText(u"abc");
    EXPECT_EQ(m_file->GetData(0, readText), 3);
    EXPECT_EQ(readText.type(), VarType::String);
    Variant readBytes(std::vector<std::uint8_t>{0, 0, 0});
    EXPECT_EQ(m_file->GetData(0, readBytes), 3);
    EXPECT_EQ(readBytes.toBytes(), (std::vector<std::uint8_t>{'!', 7, 8}));
    m_file->FileClose(handle);
    EXPECT_EQ(m_file->FileHandle(), 0);
}

}  // namespace
