#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "services/Registry.h"

using namespace quellrin;

namespace {

// A private key under HKCU for each run, removed with everything in it.
class RegistryTest : public testing::Test {
  protected:
    void SetUp() override {
        keyPath_ = "Software\\QuellrinTests\\run" + std::to_string(GetCurrentProcessId());
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, keyPath_.c_str(), 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, &key_, nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override {
        RegCloseKey(key_);
        RegDeleteTreeA(HKEY_CURRENT_USER, keyPath_.c_str());
    }
    void Set(const std::string& name, DWORD type, const std::string& data) {
        ASSERT_EQ(RegSetValueExA(key_, name.c_str(), 0, type,
                                 reinterpret_cast<const BYTE*>(data.data()),
                                 static_cast<DWORD>(data.size())),
                  ERROR_SUCCESS);
    }
    Text Read(const std::string& name, const Text& fallback = "DEFAULT") {
        return ReadRegistryText(3, keyPath_ + "\\" + name, fallback);
    }

    std::string keyPath_;
    HKEY key_ = nullptr;
};

TEST_F(RegistryTest, ValueKindsTable) {
    using std::string;
    Set("sz", REG_SZ, string("D:\\游戏\\GTAV") + '\0');
    Set("empty", REG_SZ, string(1, '\0'));
    Set("zero", REG_SZ, "");
    Set("nonul", REG_SZ, "abc");
    SetEnvironmentVariableA("QUELLRIN_TEST_VAR", "C:\\扩展");
    Set("expand", REG_EXPAND_SZ, string("%QUELLRIN_TEST_VAR%\\Games") + '\0');
    Set("dword", REG_DWORD, string("\x2A\0\0\0", 4));
    Set("multi", REG_MULTI_SZ, string("a\0b\0\0", 5));

    struct Case {
        const char* name;
        Text expected;
    } cases[] = {
        {"missing", "DEFAULT"}, {"sz", "D:\\游戏\\GTAV"}, {"empty", ""},
        {"zero", "DEFAULT"},    {"nonul", "abc"},         {"expand", "C:\\扩展\\Games"},
        {"dword", "DEFAULT"},   {"multi", "DEFAULT"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Read(c.name), c.expected) << c.name;
    EXPECT_EQ(Read("missing", ""), "");
}

TEST_F(RegistryTest, TrailingBackslashReadsTheDefaultValue) {
    Set("", REG_SZ, std::string("默认") + '\0');
    EXPECT_EQ(ReadRegistryText(3, keyPath_ + "\\", "DEFAULT"), "默认");
}

TEST_F(RegistryTest, DoubleByteTrailBackslashIsNotASeparator) {
    // 運 is DF 5C: the value name is "運x", not a subkey "\xDF" with value "x".
    Set("\xDF\x5C"
        "x",
        REG_SZ, std::string("found") + '\0');
    EXPECT_EQ(Read("\xDF\x5C"
                   "x"),
              "found");
}

TEST(RegistryPath, NoBackslashReadsUnderTheRoot) {
    HKEY root = HKEY_CURRENT_USER;
    const char name[] = "QuellrinTestRootValue";
    const char data[] = "root";
    ASSERT_EQ(
        RegSetValueExA(root, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data), sizeof data),
        ERROR_SUCCESS);
    EXPECT_EQ(ReadRegistryText(3, name, "DEFAULT"), "root");
    EXPECT_EQ(ReadRegistryText(99, name, "DEFAULT"), "root"); // unknown roots mean HKCU
    RegDeleteValueA(root, name);
}

TEST(RegistryPath, SplitTable) {
    struct Case {
        Text path, key, value;
    } cases[] = {
        {"A\\B\\C", "A\\B", "C"},         {"name", "", "name"},     {"A\\B\\", "A\\B", ""},
        {"A\\\xDF\x5C", "A", "\xDF\x5C"}, {"A\\\xDF", "A", "\xDF"}, // a lead byte before the NUL
                                                                    // ends the scan
    };
    for (const Case& c : cases) {
        Text key, value;
        SplitRegistryPath(c.path, key, value);
        EXPECT_EQ(key, c.key) << c.path;
        EXPECT_EQ(value, c.value) << c.path;
    }
}

} // namespace
