#include <string>
#include <vector>

#include "tests/unit/registry/RegistryTestSupport.h"

namespace kestrova::testing {
namespace {

using namespace std::string_literals;

// Text in which every position differs from its neighbours, so a cut or a
// shift shows.
std::string PatternText(std::size_t length) {
    std::string text;
    for (std::size_t i = 0; i < length; ++i) {
        text += static_cast<char>('A' + i % 26);
    }
    return text;
}

ByteArray PatternBytes(std::size_t length) {
    ByteArray bytes;
    for (std::size_t i = 0; i < length; ++i) {
        bytes.push_back(static_cast<std::uint8_t>((i * 7 + 3) & 0xFF));
    }
    return bytes;
}

TEST_P(RegistryRoutinesTest, StringValueReadsBackExactlyAsSetAndIsStoredWithOneNul) {
    for (const std::string& text :
         {"C:\\Program Files\\Kestrova\\Kestrova.exe /B"s, ""s, "ends in blanks  "s, "a\0b"s}) {
        SCOPED_TRACE(Describe(text));
        ASSERT_TRUE(routines->SetRegistryValue("Kestrova", text, kRegSz));
        EXPECT_EQ(routines->GetRegistryValue("Kestrova"), Variant(text));
        const RawValue stored = ReadRaw(RunPath(), "Kestrova");
        EXPECT_EQ(stored.type, static_cast<std::uint32_t>(kRegSz));
        EXPECT_EQ(stored.data, text + '\0');
    }
}

TEST_P(RegistryRoutinesTest, ExpandStringIsReadWithItsVariablesExpandedInFull) {
    Backend().SetVariable("KESTROVA_TEST_DIR", "C:\\Data");
    Backend().SetVariable("KESTROVA_TEST_LONG", PatternText(3000));
    const std::string unexpanded = "%KESTROVA_TEST_DIR%\\bin;%KESTROVA_TEST_UNSET%";
    const std::string expanded = "C:\\Data\\bin;%KESTROVA_TEST_UNSET%";
    const std::string longExpanded = "<" + PatternText(3000) + ">";

    ASSERT_TRUE(routines->SetRegistryValue("Path", unexpanded, kRegExpandSz));
    ASSERT_TRUE(routines->SetRegistryValue("Long", "<%KESTROVA_TEST_LONG%>", kRegExpandSz));
    EXPECT_EQ(ReadRaw(RunPath(), "Path").data, unexpanded + '\0');
    EXPECT_EQ(routines->GetRegistryValue("Path"), Variant(expanded));
    EXPECT_EQ(routines->GetRegistryValue("Long"), Variant(longExpanded));

    const auto entries = routines->EnumRegistryValues(kHkeyCurrentUser, RunPath());
    EXPECT_EQ(FindEntry(entries, "Path"), Variant(expanded));
    EXPECT_EQ(FindEntry(entries, "Long"), Variant(longExpanded));
}

TEST_P(RegistryRoutinesTest, BinaryDwordAndMultiStringValuesReadBackAsWritten) {
    const ByteArray bytes = {0x00, 0x0A, 0x1F, 0xFF, 0x80};
    ASSERT_TRUE(routines->SetRegistryValue("Binary", bytes, kRegBinary));
    EXPECT_EQ(routines->GetRegistryValue("Binary"), Variant(bytes));
    EXPECT_EQ(ReadRaw(RunPath(), "Binary").data, "\x00\x0A\x1F\xFF\x80"s);

    ASSERT_TRUE(routines->SetRegistryValue("Number", -2, kRegDword));
    EXPECT_EQ(routines->GetRegistryValue("Number"), Variant(-2));
    EXPECT_EQ(ReadRaw(RunPath(), "Number").data, "\xFE\xFF\xFF\xFF"s);
    ASSERT_TRUE(routines->SetRegistryValue("FromText", " 123 ", kRegDword));
    EXPECT_EQ(routines->GetRegistryValue("FromText"), Variant(123));

    const std::string strings = "one\0two\0three"s;
    ASSERT_TRUE(routines->SetRegistryValue("Strings", strings, kRegMultiSz));
    EXPECT_EQ(routines->GetRegistryValue("Strings"), Variant(strings));
    const RawValue stored = ReadRaw(RunPath(), "Strings");
    EXPECT_EQ(stored.type, static_cast<std::uint32_t>(kRegMultiSz));
    EXPECT_EQ(stored.data, strings + "\0\0"s);
}

TEST_P(RegistryRoutinesTest, ValuesLargerThanTheFirstBufferAreReadCompletely) {
    // 1023 characters and their NUL fill the first buffer exactly; one more
    // needs the second read.
    for (const std::size_t length : {1023u, 1024u, 3000u}) {
        SCOPED_TRACE(length);
        ASSERT_TRUE(routines->SetRegistryValue("Text", PatternText(length), kRegSz));
        EXPECT_EQ(routines->GetRegistryValue("Text"), Variant(PatternText(length)));
    }
    ASSERT_TRUE(routines->SetRegistryValue("Bytes", PatternBytes(1500), kRegBinary));
    EXPECT_EQ(routines->GetRegistryValue("Bytes"), Variant(PatternBytes(1500)));

    // The enumeration's first buffer holds 4096 bytes.
    ASSERT_TRUE(routines->SetRegistryValue("Text", PatternText(5000), kRegSz));
    ASSERT_TRUE(routines->SetRegistryValue("Bytes", PatternBytes(6000), kRegBinary));
    const auto entries = routines->EnumRegistryValues(kHkeyCurrentUser, RunPath());
    EXPECT_EQ(FindEntry(entries, "Text"), Variant(PatternText(5000)));
    const auto hex = FindEntry(entries, "Bytes");
    ASSERT_TRUE(hex.has_value() && hex->Text() != nullptr);
    EXPECT_EQ(hex->Text()->size(), 6000u * 3 - 1);
    EXPECT_EQ(hex->Text()->substr(0, 12), "03 0A 11 18 ");
    EXPECT_EQ(hex->Text()->substr(hex->Text()->size() - 6), " 05 0C");  // bytes 5998 and 5999
}

TEST_P(RegistryRoutinesTest, MissingAndZeroByteStringValuesGiveTheDefault) {
    EXPECT_EQ(routines->GetRegistryValue("Missing"), Variant());
    EXPECT_EQ(routines->GetRegistryValue("Missing", "fallback"), Variant("fallback"));

    ASSERT_EQ(WriteRaw(RunPath(), "EmptyText", kRegSz, ""), kErrorSuccess);
    ASSERT_EQ(WriteRaw(RunPath(), "EmptyExpand", kRegExpandSz, ""), kErrorSuccess);
    EXPECT_EQ(ReadRaw(RunPath(), "EmptyText").data.size(), 0u);
    EXPECT_EQ(routines->GetRegistryValue("EmptyText"), Variant());
    EXPECT_EQ(routines->GetRegistryValue("EmptyText", "fallback"), Variant("fallback"));
    EXPECT_EQ(routines->GetRegistryValue("EmptyExpand", 7), Variant(7));

    routines->SubKey("NoSuchKey");
    EXPECT_EQ(routines->GetRegistryValue("Kestrova", "fallback"), Variant("fallback"));
}

TEST_P(RegistryRoutinesTest, DeleteValueRemovesTheValueAndGivesTwoForAMissingOne) {
    ASSERT_TRUE(routines->SetRegistryValue("Kestrova", "x", kRegSz));
    EXPECT_EQ(routines->DeleteValue("Kestrova"), kErrorSuccess);
    EXPECT_EQ(ReadRaw(RunPath(), "Kestrova").result, kErrorFileNotFound);
    EXPECT_EQ(routines->DeleteValue("Kestrova"), 2);

    routines->SubKey("NoSuchKey");
    EXPECT_EQ(routines->DeleteValue("Kestrova"), 2);
}

TEST_P(RegistryRoutinesTest, TwoBinaryValuesInARowEnumerateOnlyTheirOwnBytes) {
    ASSERT_TRUE(routines->SetRegistryValue("Bin1", ByteArray{1, 2, 3, 4, 5, 6}, kRegBinary));
    ASSERT_TRUE(routines->SetRegistryValue("Bin2", ByteArray{0xAB}, kRegBinary));
    ASSERT_TRUE(routines->SetRegistryValue("Bin3", ByteArray{0x0A, 0x1F, 0xFF}, kRegBinary));
    const auto entries = routines->EnumRegistryValues(kHkeyCurrentUser, RunPath());
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0][0], Variant("Bin1"));
    EXPECT_EQ(entries[0][1], Variant("01 02 03 04 05 06"));
    EXPECT_EQ(entries[1][0], Variant("Bin2"));
    EXPECT_EQ(entries[1][1], Variant("AB"));
    EXPECT_EQ(entries[2][1], Variant("0A 1F FF"));
}

TEST_P(RegistryRoutinesTest, EnumRegistryValuesConvertsEachType) {
    ASSERT_TRUE(routines->SetRegistryValue("", "default value", kRegSz));
    ASSERT_TRUE(routines->SetRegistryValue("Strings", "a\0\0b\0c"s, kRegMultiSz));
    ASSERT_TRUE(routines->SetRegistryValue("Number", 0x7FFFFFFF, kRegDword));
    ASSERT_TRUE(routines->SetRegistryValue("Negative", -1, kRegDword));
    ASSERT_EQ(WriteRaw(RunPath(), "Quad", kRegQword, "\x01\x00\x00\x00\x00\x00\x00\x00"s),
              kErrorSuccess);
    ASSERT_EQ(WriteRaw(RunPath(), "EmptyText", kRegSz, ""), kErrorSuccess);

    const auto entries = routines->EnumRegistryValues(kHkeyCurrentUser, RunPath());
    EXPECT_EQ(entries.size(), 6u);
    EXPECT_EQ(FindEntry(entries, ""), Variant("default value"));
    EXPECT_EQ(FindEntry(entries, "Strings"), Variant("a,,b,c"));
    EXPECT_EQ(FindEntry(entries, "Number"), Variant(0x7FFFFFFF));
    EXPECT_EQ(FindEntry(entries, "Negative"), Variant(-1));
    EXPECT_EQ(FindEntry(entries, "Quad"), Variant());
    EXPECT_EQ(FindEntry(entries, "EmptyText"), Variant(""));

    // The same values read one by one keep their NULs; other types give the default.
    EXPECT_EQ(routines->GetRegistryValue("Strings"), Variant("a\0\0b\0c"s));
    EXPECT_EQ(routines->GetRegistryValue("Quad", "fallback"), Variant("fallback"));
}

TEST_P(RegistryRoutinesTest, ShortAndUnterminatedDataIsReadWithoutGoingPastIt) {
    ASSERT_TRUE(routines->SetRegistryValue("NoBytes", ByteArray{}, kRegBinary));
    // One byte each; the byte after "x" is not a NUL, so nothing adds one.
    ASSERT_EQ(WriteRaw(RunPath(), "OneChar", kRegMultiSz, "xy", 1), kErrorSuccess);
    ASSERT_EQ(WriteRaw(RunPath(), "OneNul", kRegMultiSz, "\0"s), kErrorSuccess);
    ASSERT_EQ(WriteRaw(RunPath(), "NoChars", kRegMultiSz, ""), kErrorSuccess);
    ASSERT_EQ(WriteRaw(RunPath(), "OneTerminator", kRegMultiSz, "a\0b\0"s), kErrorSuccess);
    ASSERT_EQ(WriteRaw(RunPath(), "Unterminated", kRegSz, "abcX", 3), kErrorSuccess);
    ASSERT_EQ(WriteRaw(RunPath(), "ShortDword", kRegDword, "\x01\x02"s), kErrorSuccess);
    ASSERT_EQ(ReadRaw(RunPath(), "OneChar").data, "x");
    ASSERT_EQ(ReadRaw(RunPath(), "Unterminated").data, "abc");

    EXPECT_EQ(routines->GetRegistryValue("NoBytes", "fallback"), Variant(ByteArray{}));
    EXPECT_EQ(routines->GetRegistryValue("OneChar", "fallback"), Variant("x"));
    EXPECT_EQ(routines->GetRegistryValue("OneNul", "fallback"), Variant("fallback"));
    EXPECT_EQ(routines->GetRegistryValue("NoChars", "fallback"), Variant("fallback"));
    EXPECT_EQ(routines->GetRegistryValue("OneTerminator"), Variant("a\0b"s));
    EXPECT_EQ(routines->GetRegistryValue("Unterminated"), Variant("abc"));
    EXPECT_EQ(routines->GetRegistryValue("ShortDword", "fallback"), Variant("fallback"));

    const auto entries = routines->EnumRegistryValues(kHkeyCurrentUser, RunPath());
    EXPECT_EQ(FindEntry(entries, "NoBytes"), Variant(""));
    EXPECT_EQ(FindEntry(entries, "OneChar"), Variant("x"));
    EXPECT_EQ(FindEntry(entries, "OneNul"), Variant(""));
    EXPECT_EQ(FindEntry(entries, "NoChars"), Variant(""));
    EXPECT_EQ(FindEntry(entries, "OneTerminator"), Variant("a,b"));
    EXPECT_EQ(FindEntry(entries, "Unterminated"), Variant("abc"));
    EXPECT_EQ(FindEntry(entries, "ShortDword"), Variant());
}

TEST_P(RegistryRoutinesTest, KeyPathJoinsKeyRootAndSubKeyWithExactlyOneBackslash) {
    const std::string run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    for (const char* root : {"Software\\Microsoft\\Windows\\CurrentVersion",
                             "Software\\Microsoft\\Windows\\CurrentVersion\\",
                             "Software\\Microsoft\\Windows\\CurrentVersion\\\\"}) {
        for (const char* subKey : {"Run", "\\Run", "\\\\Run"}) {
            EXPECT_EQ(JoinKeyPath(root, subKey), run) << root << " + " << subKey;
        }
    }
    EXPECT_EQ(JoinKeyPath("", "Run"), "Run");
    EXPECT_EQ(JoinKeyPath("\\", "\\Run"), "Run");
    EXPECT_EQ(JoinKeyPath("Software\\", ""), "Software");

    for (const std::string& root : {Scratch(), Scratch() + "\\"}) {
        for (const char* subKey : {"Run", "\\Run"}) {
            const std::string marker = root + "|" + subKey;
            routines->KeyRoot(root);
            routines->SubKey(subKey);
            ASSERT_TRUE(routines->SetRegistryValue("Joined", marker, kRegSz)) << marker;
            EXPECT_EQ(ReadRaw(RunPath(), "Joined").data, marker + '\0');
            EXPECT_EQ(routines->GetRegistryValue("Joined"), Variant(marker));
        }
    }

    // An empty KeyRoot leaves SubKey alone below hKey.
    TestKey scratch(Api(), WidenKey(kHkeyCurrentUser), Scratch());
    ASSERT_EQ(scratch.OpenResult(), kErrorSuccess);
    routines->hKey(scratch.Narrow());
    routines->KeyRoot("");
    routines->SubKey("Run");
    EXPECT_TRUE(routines->KeyExists());
    EXPECT_EQ(routines->GetRegistryValue("Joined"), Variant(Scratch() + "\\|\\Run"));
}

TEST_P(RegistryRoutinesTest, CreateKeyUsesKeynameOrSubKeyAndDeleteKeyOnlyKeyname) {
    EXPECT_TRUE(routines->KeyExists());
    routines->SubKey("Other");
    EXPECT_FALSE(routines->KeyExists());

    Variant name;
    EXPECT_EQ(routines->CreateKey(name), "0");
    EXPECT_EQ(name, Variant("Other"));
    EXPECT_TRUE(routines->KeyExists());
    EXPECT_EQ(routines->CreateKey(name), "0");  // it exists already

    Variant deeper("Third\\Deeper");
    EXPECT_EQ(routines->CreateKey(deeper), "0");
    EXPECT_EQ(deeper, Variant("Third\\Deeper"));
    EXPECT_TRUE(KeyPresent(Scratch("Third\\Deeper")));
    Variant number(5);
    EXPECT_EQ(routines->CreateKey(number), "0");
    EXPECT_EQ(number, Variant("5"));
    EXPECT_TRUE(KeyPresent(Scratch("5")));

    EXPECT_EQ(routines->DeleteKey("Third"), kErrorAccessDenied);  // it has a subkey
    EXPECT_EQ(routines->DeleteKey("Third\\Deeper"), kErrorSuccess);
    EXPECT_EQ(routines->DeleteKey("\\Third"), kErrorSuccess);
    EXPECT_FALSE(KeyPresent(Scratch("Third")));
    EXPECT_EQ(routines->DeleteKey("Third"), kErrorFileNotFound);
    EXPECT_TRUE(routines->KeyExists());  // SubKey "Other" was never the target

    // With no root key nothing can be opened or created.
    routines->hKey(0);
    EXPECT_FALSE(routines->KeyExists());
    EXPECT_EQ(routines->CreateKey(), "");
}

TEST_P(RegistryRoutinesTest, SetRegistryValueNeverCreatesTheKey) {
    routines->SubKey("Missing");
    EXPECT_FALSE(routines->SetRegistryValue("Kestrova", "x", kRegSz));
    EXPECT_FALSE(routines->SetRegistryValue("Count", 1, kRegDword));
    EXPECT_FALSE(routines->SetRegistryValue("Other", 1, kRegQword));
    EXPECT_FALSE(routines->KeyExists());
    EXPECT_FALSE(KeyPresent(Scratch("Missing")));
}

TEST_P(RegistryRoutinesTest, TypesThatAreNotWrittenReportSuccessAndUnconvertibleValuesFail) {
    EXPECT_TRUE(routines->SetRegistryValue("Quad", 5, kRegQword));
    EXPECT_TRUE(routines->SetRegistryValue("Nothing", "x", kRegNone));
    EXPECT_EQ(ReadRaw(RunPath(), "Quad").result, kErrorFileNotFound);
    EXPECT_EQ(ReadRaw(RunPath(), "Nothing").result, kErrorFileNotFound);

    EXPECT_FALSE(routines->SetRegistryValue("BadNumber", "twelve", kRegDword));
    EXPECT_FALSE(routines->SetRegistryValue("BadBytes", 7, kRegBinary));
    EXPECT_EQ(ReadRaw(RunPath(), "BadNumber").result, kErrorFileNotFound);
    EXPECT_EQ(ReadRaw(RunPath(), "BadBytes").result, kErrorFileNotFound);

    // Texts, integers and bytes convert to one another where that is plain.
    ASSERT_TRUE(routines->SetRegistryValue("NumberAsText", 42, kRegSz));
    ASSERT_TRUE(routines->SetRegistryValue("TextAsBytes", "AB", kRegBinary));
    EXPECT_EQ(routines->GetRegistryValue("NumberAsText"), Variant("42"));
    EXPECT_EQ(routines->GetRegistryValue("TextAsBytes"), Variant(ByteArray{'A', 'B'}));
}

TEST_P(RegistryRoutinesTest, RemoteReadAndWriteReachTheLocalMachineWithoutAComputerName) {
    EXPECT_TRUE(routines->WriteRemoteRegistryValue("", kHkeyCurrentUser, "Remote", "over the wire",
                                                   kRegSz, RunPath()));
    EXPECT_EQ(ReadRaw(RunPath(), "Remote").data, "over the wire\0"s);
    EXPECT_EQ(routines->ReadRemoteRegistryValue("", kHkeyCurrentUser, "Remote", RunPath()),
              Variant("over the wire"));
    // Without a key path: KeyRoot\SubKey.
    EXPECT_EQ(routines->ReadRemoteRegistryValue("", kHkeyCurrentUser, "Remote"),
              Variant("over the wire"));
    EXPECT_TRUE(routines->WriteRemoteRegistryValue("", kHkeyCurrentUser, "Count", 42, kRegDword));
    EXPECT_EQ(routines->ReadRemoteRegistryValue("", kHkeyCurrentUser, "Count"), Variant(42));

    EXPECT_EQ(routines->ReadRemoteRegistryValue("", kHkeyCurrentUser, "Missing"), Variant());
    EXPECT_EQ(routines->ReadRemoteRegistryValue("", kHkeyCurrentUser, "Remote", Scratch("None")),
              Variant());
    EXPECT_FALSE(routines->WriteRemoteRegistryValue("", kHkeyCurrentUser, "Remote", "x", kRegSz,
                                                    Scratch("None")));
    EXPECT_FALSE(KeyPresent(Scratch("None")));

    for (const char* computer : {"\\\\NoSuchKestrovaHost", "NoSuchKestrovaHost"}) {
        EXPECT_EQ(routines->ReadRemoteRegistryValue(computer, kHkeyCurrentUser, "Remote"),
                  Variant("Error!"));
        EXPECT_FALSE(
            routines->WriteRemoteRegistryValue(computer, kHkeyCurrentUser, "Remote", "x", kRegSz));
    }
    EXPECT_EQ(ReadRaw(RunPath(), "Remote").data, "over the wire\0"s);
}

TEST_P(RegistryRoutinesTest, KeysHandedInByTheCallerStayOpen) {
    TestKey scratch(Api(), WidenKey(kHkeyCurrentUser), Scratch());
    ASSERT_EQ(scratch.OpenResult(), kErrorSuccess);
    ASSERT_EQ(WidenKey(scratch.Narrow()), scratch.Get());  // a handle survives 32 bits
    routines->hKey(scratch.Narrow());
    routines->KeyRoot("");
    routines->SubKey("Run");

    ASSERT_TRUE(routines->SetRegistryValue("Value", "v", kRegSz));
    EXPECT_EQ(routines->GetRegistryValue("Value"), Variant("v"));
    EXPECT_TRUE(routines->KeyExists());
    EXPECT_EQ(routines->CreateKey(), "0");
    EXPECT_EQ(routines->EnumRegistryKeys(scratch.Narrow(), "").Items(),
              std::vector<std::string>{"Run"});
    EXPECT_EQ(routines->EnumRegistryValues(scratch.Narrow(), "Run").size(), 1u);
    EXPECT_EQ(routines->ReadRemoteRegistryValue("", scratch.Narrow(), "Value", "Run"),
              Variant("v"));
    EXPECT_TRUE(
        routines->WriteRemoteRegistryValue("", scratch.Narrow(), "Other", 1, kRegDword, "Run"));
    EXPECT_EQ(routines->DeleteValue("Other"), kErrorSuccess);

    const std::uint8_t data[4] = {1, 0, 0, 0};
    EXPECT_EQ(Api().SetValue(scratch.Get(), "StillOpen", kRegDword, data, sizeof data),
              kErrorSuccess);
}

TEST_P(RegistryRoutinesTest, EnumRegistryKeysListsSubkeysAndFindsThemByName) {
    ASSERT_EQ(CreateRaw(Scratch("Run\\Alpha"), "KestrovaClass"), kErrorSuccess);
    ASSERT_EQ(CreateRaw(Scratch("Run\\beta")), kErrorSuccess);
    ASSERT_EQ(CreateRaw(Scratch("Run\\Gamma")), kErrorSuccess);
    ASSERT_EQ(CreateRaw(Scratch("Run\\Delta\\Inner")), kErrorSuccess);
    // The enumerations take their own root and ignore the instance's fields.
    routines->hKey(0);
    routines->KeyRoot("Elsewhere");

    const KeyCollection keys = routines->EnumRegistryKeys(kHkeyCurrentUser, RunPath());
    EXPECT_EQ(keys.Items(), (std::vector<std::string>{"Alpha", "beta", "Delta", "Gamma"}));
    EXPECT_EQ(keys.Count(), 4u);
    EXPECT_TRUE(keys.Contains("ALPHA"));
    ASSERT_NE(keys.Find("gamma"), nullptr);
    EXPECT_EQ(*keys.Find("gamma"), "Gamma");
    EXPECT_FALSE(keys.Contains("Inner"));

    EXPECT_EQ(routines->EnumRegistryKeys(kHkeyCurrentUser, Scratch("None")).Count(), 0u);
    EXPECT_TRUE(routines->EnumRegistryValues(kHkeyCurrentUser, Scratch("None")).empty());
    EXPECT_EQ(routines->EnumRegistryKeys(kHkeyCurrentUser, Scratch("Run\\beta")).Count(), 0u);
}

TEST_P(RegistryRoutinesTest, TrimNullCutsTheCallersTextAtItsFirstNul) {
    std::string item = "abc\0def\0"s;
    EXPECT_EQ(RegistryRoutines::TrimNull(item), "abc");
    EXPECT_EQ(item, "abc");
    item = "plain";
    EXPECT_EQ(RegistryRoutines::TrimNull(item), "plain");
    item = "\0x"s;
    EXPECT_EQ(RegistryRoutines::TrimNull(item), "");
    EXPECT_TRUE(item.empty());
}

}  // namespace
}  // namespace kestrova::testing
