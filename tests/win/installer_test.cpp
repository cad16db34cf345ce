// The setup this build made, used as a user and an administrator's tools use it: installed
// silently for the current user, the program started from where it went and quit the way a
// user quits it, then uninstalled without a trace; both refusing to pull the program out
// from under a running copy; and the setup refusing a Windows older than the program needs.
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
constexpr DWORD kTooOldWindows = 3;  // the setup's exit code on a Windows it refuses

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

bool UnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// Makes Wine tell the programs started from a file of this name that they run on `version`,
// one of Wine's names for a Windows ("win7", "win81", "win10"), until destroyed. Only that
// file name sees it, so no other program of the test run does.
class WineReportsWindows {
  public:
    WineReportsWindows(const std::wstring& exeName, const wchar_t* version)
        : path_(L"Software\\Wine\\AppDefaults\\" + exeName) {
        HKEY key = nullptr;
        DWORD disposition = 0;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                            &key, &disposition) != ERROR_SUCCESS) {
            return;
        }
        created_ = disposition == REG_CREATED_NEW_KEY;
        const DWORD bytes = static_cast<DWORD>((wcslen(version) + 1) * sizeof(wchar_t));
        set_ = RegSetValueExW(key, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                              bytes) == ERROR_SUCCESS;
        RegCloseKey(key);
    }
    ~WineReportsWindows() {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, path_.c_str(), L"Version");
        if (created_) RegDeleteKeyW(HKEY_CURRENT_USER, path_.c_str());
    }
    WineReportsWindows(const WineReportsWindows&) = delete;
    WineReportsWindows& operator=(const WineReportsWindows&) = delete;

    bool Set() const { return set_; }

  private:
    std::wstring path_;
    bool created_ = false;
    bool set_ = false;
};

// The machine's own record of its Windows version and build, which Wine reports to a program
// it was given no name for; it can say what Wine has no name for ("10.0", build 10586). Every
// program started meanwhile sees it, so it is put back as it was when destroyed.
class MachineVersionRecord {
  public:
    MachineVersionRecord() {
        for (auto& [name, value] : saved_) value = Read(name);
    }
    ~MachineVersionRecord() {
        for (const auto& [name, value] : saved_) {
            if (value) Write(name, *value);
        }
    }
    MachineVersionRecord(const MachineVersionRecord&) = delete;
    MachineVersionRecord& operator=(const MachineVersionRecord&) = delete;

    bool Say(const wchar_t* version, const wchar_t* build) {
        return saved_[0].second && saved_[1].second && Write(kVersion, version) &&
               Write(kBuild, build);
    }

  private:
    static constexpr wchar_t kKey[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion";
    static constexpr const wchar_t* kVersion = L"CurrentVersion";
    static constexpr const wchar_t* kBuild = L"CurrentBuildNumber";

    static std::optional<std::wstring> Read(const wchar_t* name) {
        wchar_t value[64];
        DWORD size = sizeof value;
        if (RegGetValueW(HKEY_LOCAL_MACHINE, kKey, name, RRF_RT_REG_SZ, nullptr, value, &size) !=
            ERROR_SUCCESS) {
            return std::nullopt;
        }
        return std::wstring(value);
    }
    static bool Write(const wchar_t* name, const std::wstring& value) {
        const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
        return RegSetKeyValueW(HKEY_LOCAL_MACHINE, kKey, name, REG_SZ, value.c_str(), bytes) ==
               ERROR_SUCCESS;
    }

    std::pair<const wchar_t*, std::optional<std::wstring>> saved_[2] = {{kVersion, {}},
                                                                        {kBuild, {}}};
};

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
        GTEST_SKIP() << "this build made no installer: makensis (NSIS) was not found when it was "
                        "configured (on Debian: apt-get install nsis, then configure again)";
#else
        setupName_ = TALVEX_SETUP_NAME;
        setup_ = BesideTests(L"package\\" + setupName_);
        ASSERT_TRUE(Exists(setup_)) << "the build did not make the setup";
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        EndStrayPrograms();
        RemoveAnyInstall();
        // Debian's Wine 8 says Windows 7 unless told otherwise, which the setup refuses: it
        // sees a Windows 10 unless a test says another.
        if (UnderWine()) ReportToTheSetup(L"win10");
#endif
    }

    void TearDown() override {
        EndStrayPrograms();
        RemoveAnyInstall();
        reported_.reset();
    }

    // The Windows the setup sees (under Wine), named as Wine names them.
    void ReportToTheSetup(const wchar_t* version) {
        reported_.reset();
        reported_.emplace(setupName_, version);
        ASSERT_TRUE(reported_->Set()) << "could not make Wine report " << version;
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

    std::wstring setupName_;
    std::wstring setup_;
    std::optional<WineReportsWindows> reported_;
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

TEST_F(Installer, SilentSetupRefusesWindows7And81WithItsOwnExitCodeAndChangesNothing) {
    if (!UnderWine()) GTEST_SKIP() << "only Wine can make this system say it is an older Windows";
    for (const wchar_t* old : {L"win7", L"win81"}) {
        ReportToTheSetup(old);
        EXPECT_EQ(RunToEnd(setup_, L"/S", kSetupTime), kTooOldWindows) << old;
        EXPECT_TRUE(NothingLeft()) << old << ": the refused setup installed something";
    }
}

TEST_F(Installer, Windows10IsEnoughFromVersion1607Build14393On) {
    if (!UnderWine()) GTEST_SKIP() << "only Wine can make this system say it is an older Windows";
    // Wine has no name for a Windows 10 before 1607: the machine's version record says it.
    reported_.reset();
    MachineVersionRecord record;
    ASSERT_TRUE(record.Say(L"10.0", L"10586"));  // version 1511
    EXPECT_EQ(RunToEnd(setup_, L"/S", kSetupTime), kTooOldWindows);
    EXPECT_TRUE(NothingLeft()) << "the refused setup installed something";

    ASSERT_TRUE(record.Say(L"10.0", L"14393"));  // version 1607
    EXPECT_EQ(RunToEnd(setup_, L"/S", kSetupTime), 0u);
    EXPECT_TRUE(Exists(InstalledProgram()));
}

TEST_F(Installer, SetupTellsTheUserInFrenchWhichWindowsItNeeds) {
    if (!UnderWine()) GTEST_SKIP() << "only Wine can make this system say it is an older Windows";
    ReportToTheSetup(L"win81");
    Process setup(setup_);
    ASSERT_TRUE(setup.Started());
    HWND box = WaitForMessageBox(setup.Id(), 20000);
    ASSERT_NE(box, nullptr);
    const std::u16string reason = MessageBoxText(box);
    for (const std::u16string must :
         {u"Windows 10 version 1607 (build 14393)", u"64 bits", u"build 9600", u"annulée"}) {
        EXPECT_NE(reason.find(must), std::u16string::npos)
            << "no \"" << std::wstring(must.begin(), must.end())
            << "\" in: " << std::wstring(reason.begin(), reason.end());
    }
    EXPECT_EQ(GetDlgItem(box, IDCANCEL), nullptr) << "nothing to choose: the setup cannot go on";
    SendMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    DWORD code = ~0u;
    ASSERT_TRUE(setup.WaitForExit(10000, &code));
    EXPECT_EQ(code, kTooOldWindows);
    EXPECT_TRUE(NothingLeft()) << "the refused setup installed something";
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
