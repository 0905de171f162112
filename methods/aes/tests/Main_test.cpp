// The plug-in's byte and string operations through the real library, created by programmatic id and
// called by name as the engine calls it: data format, key rule, progress, and the failure table.
#include <gtest/gtest.h>

#include "BlockruneTestSupport.h"
#include "component/ClassInfo.h"
#include "component/ComObject.h"
#include "component/calls.h"
#include "platform/queue.h"

using namespace velmora;
using namespace velmora::testing;

namespace {

class Operations : public PlugIn {
  protected:
    Variant encryptByte(const Bytes& data, std::u16string key, ObjectRef handler = {}) {
        Variant in = bytesVariant(data);
        Variant password(std::move(key));
        Variant sink = handler ? Variant(handler) : Variant::missing();
        return call(m_main, u"EncryptByte", in, password, sink);
    }
    Variant decryptByte(Variant in, std::u16string key, ObjectRef handler = {}) {
        Variant password(std::move(key));
        Variant sink = handler ? Variant(handler) : Variant::missing();
        return call(m_main, u"DecryptByte", in, password, sink);
    }
    static Bytes bytesOf(const Variant& v) { return v.arrayRef().bytes(); }
};

}  // namespace

TEST_F(Operations, MembersInInterfaceOrderWithTheirFixedTexts) {
    std::vector<std::u16string> names;
    for (const MemberInfo& m : m_main.as<ComObject>()->classInfo().members())
        if (names.empty() || names.back() != m.name) names.push_back(m.name);
    const std::vector<std::u16string> expected{
        u"KEY",           u"MethodName",  u"WebAddress",  u"EncryptByte", u"DecryptByte", u"EncryptString",
        u"DecryptString", u"EncryptFile", u"DecryptFile", u"FileExist",   u"gentables",   u"gkey",
        u"Encrypt",       u"Decrypt",     u"Progress",    u"Error"};
    EXPECT_EQ(names, expected);
    EXPECT_EQ(getProperty(m_main, u"MethodName").toString(), u"256 bit - Rinjdael - AES");
    EXPECT_FALSE(getProperty(m_main, u"WebAddress").toString().empty());
    EXPECT_EQ(getProperty(m_main, u"KEY").toString(), u"");
    letProperty(m_main, u"KEY", u"stored");
    EXPECT_EQ(getProperty(m_main, u"KEY").toString(), u"stored");
}

TEST_F(Operations, EncryptedFormIsTheFrameUnderLibmcryptsRijndael256) {
    struct Case {
        std::size_t length;
        std::size_t encrypted;
    };
    for (const Case& c :
         {Case{1, 32}, Case{28, 32}, Case{29, 64}, Case{60, 64}, Case{61, 96}, Case{1000, 1024},
          Case{3 * 1024 * 1024 + 5, 3 * 1024 * 1024 + 32}}) {  // many pieces, on every core
        const Bytes data = randomBytes(c.length, static_cast<std::uint32_t>(c.length));
        const std::u16string password = u"pass\u00e9\u4e2d";  // code units above 0xFF count as two bytes
        const Variant encrypted = encryptByte(data, password);
        ASSERT_EQ(bytesOf(encrypted).size(), c.encrypted) << c.length;
        McryptOracle oracle(passwordKey(password));
        EXPECT_EQ(bytesOf(encrypted), oracle.encrypt(plainFrame(data, static_cast<std::int32_t>(c.length))));
        EXPECT_EQ(bytesOf(decryptByte(encrypted, password)), data) << c.length;
    }
}

TEST_F(Operations, OnlyTheFirstSixteenCharactersOfThePasswordCount) {
    const Bytes data = randomBytes(100, 7);
    const Bytes reference = bytesOf(encryptByte(data, u"0123456789abcdef"));
    EXPECT_EQ(bytesOf(encryptByte(data, u"0123456789abcdefXYZ")), reference);
    EXPECT_NE(bytesOf(encryptByte(data, u"0123456789abcdeX")), reference);
    // A short password is the same password followed by NUL characters.
    EXPECT_EQ(bytesOf(encryptByte(data, u"short")),
              bytesOf(encryptByte(data, std::u16string(u"short\0\0", 7))));
    // The empty password is the all-zero key, for bytes; strings refuse it.
    McryptOracle zeroKey(Bytes(32, 0));
    EXPECT_EQ(bytesOf(encryptByte(data, u"")), zeroKey.encrypt(plainFrame(data, 100)));
    Variant text(u"x"), none(u"");
    EXPECT_EQ(call(m_main, u"EncryptString", text, none).toString(), u"");
}

TEST_F(Operations, ProgressAtMostOncePerPercentHandlerFirstNeverHundred) {
    const Bytes encrypted = bytesOf(encryptByte(Bytes(60, 1), u"k"));
    m_log.lines.clear();
    encryptByte(Bytes(64, 1), u"k", m_log.sink());  // 96 bytes out: blocks at 0, 32, 64
    EXPECT_EQ(m_log.lines,
              (std::vector<std::string>{"RaiseProgress(0)", "event Progress(0)", "RaiseProgress(33)",
                                        "event Progress(33)", "RaiseProgress(66)", "event Progress(66)"}));
    m_log.lines.clear();
    decryptByte(bytesVariant(encrypted), u"k", m_log.sink());  // 64 bytes: 0 and 50
    EXPECT_EQ(m_log.lines, (std::vector<std::string>{"RaiseProgress(0)", "event Progress(0)",
                                                     "RaiseProgress(50)", "event Progress(50)"}));

    // Many blocks: one report per percent at most, rising, 0 first, below 100.
    for (std::size_t blocks : {99u, 100u, 101u, 333u, 1000u, 100000u}) {
        m_log.lines.clear();
        encryptByte(Bytes(blocks * 32 - 4, 2), u"k");
        std::vector<int> reports;
        for (const std::string& line : m_log.lines)
            reports.push_back(std::stoi(line.substr(line.find('(') + 1)));
        ASSERT_FALSE(reports.empty());
        EXPECT_EQ(reports.front(), 0);
        EXPECT_LT(reports.back(), 100);
        EXPECT_LE(reports.size(), 100u);
        EXPECT_TRUE(std::is_sorted(reports.begin(), reports.end()) &&
                    std::adjacent_find(reports.begin(), reports.end()) == reports.end())
            << blocks;
        if (blocks == 100000u) {
            EXPECT_EQ(reports.size(), 100u);  // every percent, pieces on every core
        }
    }
}

TEST_F(Operations, TheQueueIsAskedAfterEveryBlock) {
    static int asked = 0;
    asked = 0;
    const MessageQueueHook previous = setMessageQueueHook({[](UINT) -> DWORD {
                                                               ++asked;
                                                               return 0;
                                                           },
                                                           nullptr});
    encryptByte(Bytes(200, 3), u"k");  // 7 blocks
    const int afterEncrypt = asked;
    decryptByte(bytesVariant(Bytes(96, 0)), u"k");  // 3 blocks
    setMessageQueueHook(previous);
    EXPECT_EQ(afterEncrypt, 7);
    EXPECT_EQ(asked, 10);
}

TEST_F(Operations, FailureTableOfTheByteOperations) {
    struct Case {
        const char* what;
        Variant input;
        bool decrypt;
        std::vector<std::string> reports;
    };
    const std::vector<std::string> error9{"RaiseError(9,Subscript out of range,Main:EncryptByte)",
                                          "event Error(9,Subscript out of range,Main:EncryptByte)"};
    const std::vector<std::string> decryptError9{"RaiseError(9,Subscript out of range,Main:DecryptByte)",
                                                 "event Error(9,Subscript out of range,Main:DecryptByte)"};
    const Case cases[] = {
        {"never dimensioned, encrypt", Variant::unallocatedArray(VarType::Byte), false, {}},
        {"never dimensioned, decrypt", Variant::unallocatedArray(VarType::Byte), true, {}},
        {"no element, encrypt", bytesVariant({}), false, error9},
        {"no element, decrypt", bytesVariant({}), true, decryptError9},
        {"33 bytes", bytesVariant(Bytes(33, 0)), true, {}},
        {"no index 0", Variant(SafeArray(VarType::Byte, {{1, 40}})), false, error9},
        {"no index 0, whole blocks", Variant(SafeArray(VarType::Byte, {{1, 31}})), true, decryptError9},
        {"two dimensions", Variant(SafeArray(VarType::Byte, {{0, 32}, {0, 2}})), false, error9},
        {"31 bytes", bytesVariant(Bytes(31, 0)), true, {}},
    };
    for (const Case& c : cases) {
        m_log.lines.clear();
        const Variant result =
            c.decrypt ? decryptByte(c.input, u"k", m_log.sink())
                      : call(m_main, u"EncryptByte", Variant(c.input), Variant(u"k"), Variant(m_log.sink()));
        EXPECT_TRUE(result.isArray() && !result.isAllocatedArray()) << c.what;  // the empty array
        // Progress from a decryption that got as far as the blocks is no part of this comparison.
        std::vector<std::string> reports;
        for (const std::string& line : m_log.lines)
            if (line.find("Progress") == std::string::npos) reports.push_back(line);
        EXPECT_EQ(reports, c.reports) << c.what;
    }
}

TEST_F(Operations, ArraysAreReadFromIndexZeroToTheUpperBound) {
    // Bounds -3 to 28: the data is indices 0 to 28, as the upper bound counts from 0.
    SafeArray array(VarType::Byte, {{-3, 32}});
    for (std::size_t i = 0; i < 32; ++i) array.bytes()[i] = static_cast<std::uint8_t>(i);
    const Variant encrypted = call(m_main, u"EncryptByte", Variant(array), Variant(u"k"));
    const Bytes expected(array.bytes().begin() + 3, array.bytes().end());
    EXPECT_EQ(bytesOf(decryptByte(encrypted, u"k")), expected);
}

TEST_F(Operations, OnlyByteArraysPassAsByteArrays) {
    for (Variant wrong : {Variant(u"text"), Variant(5), Variant()}) {
        try {
            call(m_main, u"EncryptByte", wrong, Variant(u"k"));
            ADD_FAILURE() << "accepted " << toUtf8(typeName(wrong));
        } catch (const RuntimeError& error) {
            EXPECT_EQ(error.number(), 13);
        }
    }
}

TEST_F(Operations, OnlyFramesThisFormatWritesDecrypt) {
    const std::u16string password = u"right";
    McryptOracle oracle(passwordKey(password));
    const Bytes data = randomBytes(50, 11);
    struct Case {
        const char* what;
        Bytes frame;
        bool accepted;
        bool error9;
    };
    Bytes dirtyPadding = plainFrame(data, 50);
    dirtyPadding.back() = 1;
    Bytes shortLength = plainFrame(data, 50);  // 64 bytes holding a length that ends in the first block
    shortLength[0] = 20;
    const Case cases[] = {
        {"as written", plainFrame(data, 50), true, false},
        {"length beyond the data", plainFrame(data, 61), false, false},
        {"length before the last block", shortLength, false, false},
        {"padding not zero", dirtyPadding, false, false},
        {"length zero", plainFrame(data, 0), false, true},
        {"length negative", plainFrame(data, -5), false, true},
    };
    for (const Case& c : cases) {
        m_log.lines.clear();
        const Variant result = decryptByte(bytesVariant(oracle.encrypt(c.frame)), password, m_log.sink());
        EXPECT_EQ(result.isAllocatedArray(), c.accepted) << c.what;
        if (c.accepted) {
            EXPECT_EQ(bytesOf(result), data);
        }
        const bool reported = std::any_of(m_log.lines.begin(), m_log.lines.end(), [](const std::string& l) {
            return l.rfind("RaiseError(9,", 0) == 0;
        });
        EXPECT_EQ(reported, c.error9) << c.what;
    }
}

TEST_F(Operations, AWrongPasswordNeverYieldsPlaintext) {
    int reported = 0;
    for (std::uint32_t seed = 0; seed < 200; ++seed) {
        const Variant encrypted = encryptByte(randomBytes(1 + seed % 70, seed), u"right password");
        m_log.lines.clear();
        const Variant result =
            decryptByte(encrypted, u"wrong " + std::u16string(1, char16_t(u'a' + seed % 26)), m_log.sink());
        ASSERT_FALSE(result.isAllocatedArray()) << seed;
        reported += std::count_if(m_log.lines.begin(), m_log.lines.end(),
                                  [](const std::string& l) { return l.rfind("RaiseError(9,", 0) == 0; });
    }
    // A random length field is 0 or negative about half the time, and only that is reported.
    EXPECT_GT(reported, 60);
    EXPECT_LT(reported, 140);
}

TEST_F(Operations, StringsAreUppercaseHexOfTheUtf16Bytes) {
    Variant text(u"\u00e9"), key(u"secret");
    const std::u16string hex = call(m_main, u"EncryptString", text, key).toString();
    ASSERT_EQ(hex.size(), 64u);
    EXPECT_TRUE(std::all_of(hex.begin(), hex.end(),
                            [](char16_t c) { return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F'); }));
    McryptOracle oracle(passwordKey(u"secret"));
    const Bytes expected = oracle.encrypt(plainFrame({0xE9, 0x00}, 2));
    EXPECT_EQ(hexBytes(toUtf8(hex)), expected);

    std::u16string lower = hex;
    for (char16_t& c : lower) c = static_cast<char16_t>(std::tolower(c));
    Variant lowerText(lower);
    EXPECT_EQ(call(m_main, u"DecryptString", lowerText, key).toString(), u"\u00e9");

    Variant longText(u"A longer text \u4e2d\u6587 with more than one block of UTF-16 bytes.");
    Variant encrypted = call(m_main, u"EncryptString", longText, key);
    EXPECT_EQ(call(m_main, u"DecryptString", encrypted, key).toString(), longText.toString());
}

TEST_F(Operations, FailureTableOfTheStringOperations) {
    struct Case {
        const char* what;
        std::u16string text, key;
        std::vector<std::string> reports;
    };
    const std::string where = ",Main:DecryptString)";
    const Case cases[] = {
        {"empty text", u"", u"k", {}},
        {"empty key", u"00", u"", {}},
        {"odd length",
         std::u16string(63, u'0'),
         u"k",
         {"RaiseError(9,Subscript out of range" + where, "event Error(9,Subscript out of range" + where}},
        {"single digit",
         u"A",
         u"k",
         {"RaiseError(9,Subscript out of range" + where, "event Error(9,Subscript out of range" + where}},
        {"not hexadecimal",
         u"0G" + std::u16string(62, u'0'),
         u"k",
         {"RaiseError(13,Type mismatch" + where, "event Error(13,Type mismatch" + where}},
        {"sign is no digit",
         u"-1" + std::u16string(62, u'0'),
         u"k",
         {"RaiseError(13,Type mismatch" + where, "event Error(13,Type mismatch" + where}},
        {"33 bytes of hex", std::u16string(66, u'0'), u"k", {}},
    };
    for (const Case& c : cases) {
        m_log.lines.clear();
        Variant text(c.text), key(c.key), handler(m_log.sink());
        EXPECT_EQ(call(m_main, u"DecryptString", text, key, handler).toString(), u"") << c.what;
        EXPECT_EQ(m_log.lines, c.reports) << c.what;
    }
    m_log.lines.clear();
    Variant emptyText(u""), key(u"k"), handler(m_log.sink());
    EXPECT_EQ(call(m_main, u"EncryptString", emptyText, key, handler).toString(), u"");
    EXPECT_TRUE(m_log.lines.empty());
}

TEST_F(Operations, CipherMembersReachableByName) {
    call(m_main, u"gentables");
    Variant key = bytesVariant(hexBytes("000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f"));
    call(m_main, u"gkey", 4, 8, key);
    Variant block = bytesVariant(hexBytes("00112233445566778899aabbccddeeff"));
    call(m_main, u"Encrypt", block);
    EXPECT_EQ(bytesOf(block), hexBytes("8ea2b7ca516745bfeafc49904b496089"));
    call(m_main, u"Decrypt", block);
    EXPECT_EQ(bytesOf(block), hexBytes("00112233445566778899aabbccddeeff"));

    // A short block raises to the caller and leaves the caller's array as it was.
    Variant shortBlock = bytesVariant(Bytes(15, 1));
    try {
        call(m_main, u"Encrypt", shortBlock);
        ADD_FAILURE() << "no error";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), 9);
    }
    EXPECT_EQ(bytesOf(shortBlock), Bytes(15, 1));
}

// A handler that fails on every call (a client gone with its process): the progress report fails into the
// error path, whose own report fails too; still no error reaches the caller, only the empty result.
TEST_F(Operations, AFailingHandlerNeverCarriesAnErrorToTheCaller) {
    int calls = 0;
    const ObjectRef failing = makeObject<CallbackSink>([&](std::u16string_view, std::span<Variant>) {
        ++calls;
        raise(462, u"The remote server machine does not exist or is unavailable", u"Test");
    });
    Variant result;
    EXPECT_NO_THROW(result = encryptByte(Bytes(64, 1), u"key", failing));
    EXPECT_EQ(calls, 2);  // RaiseProgress, then RaiseError from the error path
    EXPECT_TRUE(result.isArray() && !result.isAllocatedArray());  // the empty result
    EXPECT_EQ(m_log.lines,
              (std::vector<std::string>{"event Error(462,The remote server machine does not exist "
                                        "or is unavailable,Test)"}));
}
