// The exe's resources: the icon group the window shows, the manifest that asks
// for no raised rights, and the version information.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/windows/driver/driver.h"

namespace {

std::wstring ExePath() { return driver::TolvaneExePath(); }

class Resources : public testing::Test {
protected:
    void SetUp() override {
        module_ = LoadLibraryExW(ExePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(module_, nullptr) << "cannot open " << GetLastError();
    }
    void TearDown() override {
        if (module_ != nullptr) FreeLibrary(module_);
    }
    std::string Resource(const wchar_t* name, const wchar_t* type) {
        HRSRC found = FindResourceW(module_, name, type);
        if (found == nullptr) return std::string();
        HGLOBAL loaded = LoadResource(module_, found);
        const auto* bytes = static_cast<const char*>(LockResource(loaded));
        return std::string(bytes, SizeofResource(module_, found));
    }
    HMODULE module_ = nullptr;
};

TEST_F(Resources, IconGroupHoldsTheLargeAndSmallSizes) {
    const std::string group = Resource(L"DEFAULT_ICON", MAKEINTRESOURCEW(14)); // RT_GROUP_ICON
    ASSERT_GE(group.size(), 6u);
    const int count = static_cast<unsigned char>(group[4]) | static_cast<unsigned char>(group[5]) << 8;
    bool sizes[256] = {};
    for (int i = 0; i < count && 6 + 14 * (i + 1) <= static_cast<int>(group.size()); ++i) {
        sizes[static_cast<unsigned char>(group[6 + 14 * i])] = true; // width byte of each entry
    }
    EXPECT_TRUE(sizes[16]);
    EXPECT_TRUE(sizes[32]);
    HICON large = static_cast<HICON>(LoadImageW(module_, L"DEFAULT_ICON", IMAGE_ICON, 32, 32, 0));
    EXPECT_NE(large, nullptr);
    if (large != nullptr) DestroyIcon(large);
}

TEST_F(Resources, ManifestRunsAsInvokerOnCurrentWindows) {
    const std::string manifest = Resource(MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24)); // RT_MANIFEST
    ASSERT_FALSE(manifest.empty());
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
    EXPECT_NE(manifest.find("{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"), std::string::npos); // Windows 10 and 11
    EXPECT_NE(manifest.find("{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"), std::string::npos); // Windows 7
}

TEST_F(Resources, VersionInformationNamesTheProgram) {
    const std::wstring path = ExePath();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::string data(size, '\0');
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, &data[0]));
    wchar_t* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\StringFileInfo\\080404b0\\OriginalFilename",
                               reinterpret_cast<void**>(&value), &length));
    EXPECT_EQ(std::wstring(value), L"tolvane.exe");
}

} // namespace
