// The setup this build made, used as a user and an administrator's tools use it: installed
// silently for the current user, the program started from where it went and quit the way a
// user quits it, then uninstalled without a trace; and both refusing to pull the program
// out from under a running copy.
#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "tests/win/win_support.h"

namespace talvex::testing {
namespace {

constexpr wchar_t kUninstallKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TalvexPress";
constexpr int kQuitButton = 150;  // ButtonPlus1, the "X" of the title strip
constexpr DWORD kSetupTime = 60000;

std::wstring KnownFolder(REFKNOWNFOLDERID id) {
    PWSTR path = nullptr;
    std::wstring result;
    if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path))) result = path;
    CoTaskMemFree(path);  // also when the call failed: it may still have allocated
    return result;
}

std::wstring InstallDir() {
    return KnownFolder(FOLDERID_LocalAppData) + L"\\Programs\\Talvex Press";
}
std::wstring InstalledProgram() { return InstallDir() + L"\\TalvexPress.exe"; }
std::wstring Uninstaller() { return InstallDir() + L"\\Uninstall.exe"; }
std::wstring Shortcut() { return KnownFolder(FOLDERID_Programs) + L"\\Talvex Press.lnk"; }

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string FileBytes(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool UninstallKeyExists() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kUninstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

std::optional<std::wstring> RegText(const wchar_t* name) {
    wchar_t value[1024];
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, kUninstallKey, name, RRF_RT_REG_SZ, nullptr, value,
                     &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::wstring(value);
}

std::optional<DWORD> RegNumber(const wchar_t* name) {
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, kUninstallKey, name, RRF_RT_REG_DWORD, nullptr, &value,
                     &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return value;
}

// Where a shortcut points, read through the shell as Explorer reads it.
std::wstring ShortcutTarget(const std::wstring& lnk) {
    std::wstring target;
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link)))) {
        return target;
    }
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        wchar_t path[MAX_PATH] = L"";
        if (SUCCEEDED(file->Load(lnk.c_str(), STGM_READ)) &&
            SUCCEEDED(link->GetPath(path, MAX_PATH, nullptr, SLGP_RAWPATH))) {
            target = path;
        }
        file->Release();
    }
    link->Release();
    return target;
}

// One value of the string table of a file's version record (its first translation).
std::wstring VersionValue(const std::wstring& file, const wchar_t* name) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
    if (size == 0) return L"";
    std::string data(size, '\0');
    if (!GetFileVersionInfoW(file.c_str(), 0, size, data.data())) return L"";
    struct Translation {
        WORD language;
        WORD codePage;
    }* translation = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation",
                        reinterpret_cast<void**>(&translation), &length) ||
        length < sizeof *translation) {
        return L"";
    }
    wchar_t path[128];
    swprintf(path, 128, L"\\StringFileInfo\\%04x%04x\\%ls", translation->language,
             translation->codePage, name);
    wchar_t* value = nullptr;
    if (!VerQueryValueW(data.data(), path, reinterpret_cast<void**>(&value), &length)) return L"";
    return value;
}

// The program's window once it is on screen, its controls made.
HWND ShownWindow(const Process& program) {
    HWND form = WaitForWindow(program.Id(), L"TalvexPress.Form1", 20000);
    if (form == nullptr || !WaitUntil([&] { return IsWindowVisible(form) != FALSE; }, 10000))
        return nullptr;
    return form;
}

// Quits the program as a user does: the "X" button, then Yes to the question.
void QuitAsAUser(Process& program) {
    HWND form = ShownWindow(program);
    ASSERT_NE(form, nullptr);
    HWND button = FindControl(form, kQuitButton);
    ASSERT_NE(button, nullptr);
    PostMessageW(form, WM_COMMAND, MAKEWPARAM(kQuitButton, BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
    HWND box = WaitForMessageBox(program.Id(), 20000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box), u"Etes vous sûre de quitter Talvex Press ?");
    SendMessageW(GetDlgItem(box, IDYES), BM_CLICK, 0, 0);
    DWORD code = ~0u;
    ASSERT_TRUE(program.WaitForExit(10000, &code)) << "the program is still running after Yes";
    EXPECT_EQ(code, 0u);
}

class Installer : public ::testing::Test {
  protected:
    void SetUp() override {
#ifndef TALVEX_SETUP_NAME
        GTEST_SKIP() << "this build makes no installer (no makensis)";
#else
        setup_ = BesideTests(L"package\\" TALVEX_SETUP_NAME);
        ASSERT_TRUE(Exists(setup_)) << "the build did not make the setup";
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        EndStrayPrograms();
        RemoveAnyInstall();
#endif
    }

    void TearDown() override {
        EndStrayPrograms();
        RemoveAnyInstall();
    }

    void Install() {
        ASSERT_EQ(RunToEnd(setup_, L"/S", kSetupTime), 0u);
        ASSERT_TRUE(Exists(InstalledProgram()));
    }

    // The uninstaller run in place (`_?=`), so that it is the process we wait on and its
    // exit code is the answer.
    DWORD UninstallInPlace(const std::wstring& args) {
        return RunToEnd(Uninstaller(), args + L" _?=" + InstallDir(), kSetupTime);
    }

    static bool NothingLeft() {
        return !Exists(InstalledProgram()) && !Exists(Uninstaller()) && !Exists(InstallDir()) &&
               !Exists(Shortcut()) && !UninstallKeyExists();
    }

    // A failed test must not leave an install behind for the next one.
    static void RemoveAnyInstall() {
        if (Exists(Uninstaller())) {
            RunToEnd(Uninstaller(), L"/S _?=" + InstallDir(), kSetupTime);
            DeleteFileW(Uninstaller().c_str());  // run in place, it cannot remove itself
            RemoveDirectoryW(InstallDir().c_str());
        }
    }

    std::wstring setup_;
};

TEST_F(Installer, InstallsForTheUserRunsQuitsAndUninstallsWithoutATrace) {
    Install();

    // The very program of the portable zip, the uninstaller beside it, the shortcut.
    EXPECT_EQ(FileBytes(InstalledProgram()),
              FileBytes(BesideTests(L"package\\portable\\TalvexPress.exe")));
    EXPECT_TRUE(Exists(Uninstaller()));
    ASSERT_TRUE(Exists(Shortcut()));
    EXPECT_EQ(_wcsicmp(ShortcutTarget(Shortcut()).c_str(), InstalledProgram().c_str()), 0)
        << "the shortcut points at " << ShortcutTarget(Shortcut());

    // What "Apps" in the settings shows and runs.
    EXPECT_EQ(RegText(L"DisplayName"), L"Talvex Press");
    EXPECT_EQ(RegText(L"DisplayVersion"), L"1.00.0010");
    EXPECT_EQ(RegText(L"Publisher"), L"Équipe Talvex");
    EXPECT_EQ(RegText(L"DisplayIcon"), InstalledProgram() + L",0");
    EXPECT_EQ(RegText(L"InstallLocation"), InstallDir());
    EXPECT_EQ(RegText(L"UninstallString"), L"\"" + Uninstaller() + L"\"");
    EXPECT_EQ(RegText(L"QuietUninstallString"), L"\"" + Uninstaller() + L"\" /S");
    EXPECT_EQ(RegNumber(L"NoModify"), 1u);
    EXPECT_EQ(RegNumber(L"NoRepair"), 1u);
    // In KB: at least the program itself, and nowhere near a megabyte more.
    const DWORD programKb = static_cast<DWORD>(FileBytes(InstalledProgram()).size() / 1024);
    const auto estimated = RegNumber(L"EstimatedSize");
    ASSERT_TRUE(estimated.has_value());
    EXPECT_GE(*estimated, programKb);
    EXPECT_LT(*estimated, programKb + 1024);

    Process program(InstalledProgram());
    ASSERT_TRUE(program.Started());
    QuitAsAUser(program);

    // The usual way: the uninstaller copies itself to the temporary folder and returns at once.
    ASSERT_EQ(RunToEnd(Uninstaller(), L"/S", kSetupTime), 0u);
    EXPECT_TRUE(WaitUntil(NothingLeft, kSetupTime))
        << "left: program " << Exists(InstalledProgram()) << ", uninstaller "
        << Exists(Uninstaller()) << ", folder " << Exists(InstallDir()) << ", shortcut "
        << Exists(Shortcut()) << ", key " << UninstallKeyExists();
}

TEST_F(Installer, NeitherSetupNorUninstallPullsTheProgramFromUnderARunningCopy) {
    Install();
    const std::string installed = FileBytes(InstalledProgram());
    Process program(InstalledProgram());
    ASSERT_TRUE(program.Started());
    ASSERT_NE(ShownWindow(program), nullptr);

    // Silent: nobody to ask, so both refuse with exit code 2 and change nothing.
    EXPECT_EQ(RunToEnd(setup_, L"/S", kSetupTime), 2u);
    EXPECT_EQ(UninstallInPlace(L"/S"), 2u);
    EXPECT_EQ(FileBytes(InstalledProgram()), installed);
    EXPECT_TRUE(Exists(Shortcut()));
    EXPECT_TRUE(UninstallKeyExists());

    // With a user: the uninstaller asks to quit the program first; Cancel leaves it all.
    Process uninstall(Uninstaller(), L"_?=" + InstallDir());
    ASSERT_TRUE(uninstall.Started());
    HWND box = WaitForMessageBox(uninstall.Id(), 20000);
    ASSERT_NE(box, nullptr);
    const std::u16string question = MessageBoxText(box);
    EXPECT_NE(question.find(u"Talvex Press est en cours d'exécution."), std::u16string::npos)
        << std::wstring(question.begin(), question.end());
    SendMessageW(GetDlgItem(box, IDCANCEL), BM_CLICK, 0, 0);
    DWORD code = ~0u;
    ASSERT_TRUE(uninstall.WaitForExit(10000, &code));
    EXPECT_EQ(code, 2u);
    EXPECT_TRUE(Exists(InstalledProgram()));
    EXPECT_TRUE(Exists(Shortcut()));
    EXPECT_TRUE(UninstallKeyExists());
    EXPECT_EQ(WaitForSingleObject(program.Handle(), 0), static_cast<DWORD>(WAIT_TIMEOUT))
        << "the running copy was ended";

    // Once the user has quit, the same silent uninstall goes through.
    QuitAsAUser(program);
    EXPECT_EQ(UninstallInPlace(L"/S"), 0u);
    EXPECT_FALSE(Exists(InstalledProgram()));
    EXPECT_FALSE(Exists(Shortcut()));
    EXPECT_FALSE(UninstallKeyExists());
}

TEST_F(Installer, SetupCarriesItsVersionRecordInFrench) {
    EXPECT_EQ(VersionValue(setup_, L"ProductName"), L"Talvex Press");
    EXPECT_EQ(VersionValue(setup_, L"CompanyName"), L"Équipe Talvex");
    EXPECT_EQ(VersionValue(setup_, L"FileVersion"), L"1.00.0010");
    EXPECT_EQ(VersionValue(setup_, L"ProductVersion"), L"1.00.0010");
    EXPECT_EQ(VersionValue(setup_, L"FileDescription"), L"Installation de Talvex Press");
    EXPECT_EQ(VersionValue(setup_, L"LegalCopyright"), L"© Équipe Talvex");

    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(setup_.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::string data(size, '\0');
    ASSERT_TRUE(GetFileVersionInfoW(setup_.c_str(), 0, size, data.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(0, 1));   // 1.0
    EXPECT_EQ(fixed->dwProductVersionLS, MAKELONG(10, 0));  // .0.10
    const WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(const_cast<WORD**>(&translation)),
                               &length));
    EXPECT_EQ(translation[0], 0x040C);  // French
}

}  // namespace
}  // namespace talvex::testing
