// The ignore list store over the real registry adapter. What the store writes is read back with
// the platform's own reg tool, and values planted with that tool are read by the store; every
// registry call is printed with its result, prefixed "platform:", for the record.
#include "handles/NameCase.h"
#include "handles/ProcessLookup.h"
#include "services/win32/UniqueHandle.h"
#include "services/win32/Win32ProcessList.h"
#include "services/win32/Win32Registry.h"
#include "settings/IgnoreList.h"
#include "tests/fakes/HandleLedger.h"
#include "tests/windows/support/PlatformReport.h"

#include <array>
#include <cstdio>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>
#include <windows.h>

namespace velmora::win32 {
namespace {

using fakes::Narrow;
using testing::Report;

using Names = std::vector<std::wstring>;

const std::wstring kToolKey = L"HKCU\\" + std::wstring(kIgnoreListKeyPath);

// The real registry adapter, with every open key in a ledger and every call reported.
class RecordedRegistry final : public Registry {
public:
    fakes::HandleLedger ledger;

    std::optional<RegistryKey> CreateUserKey(std::wstring_view path) override {
        const auto key = real.CreateUserKey(path);
        Report("RegCreateKeyExW(HKCU\\" + Narrow(path) + ") = " + (key ? "opened" : "failed"));
        if (key) {
            tokens[static_cast<std::uintptr_t>(*key)] = ledger.Open("registry key");
        }
        return key;
    }
    std::optional<RegistryValue> ReadValue(RegistryKey key, std::wstring_view name,
                                           std::span<std::byte> buffer) override {
        const auto value = real.ReadValue(key, name, buffer);
        Report("RegQueryValueExW(" + Narrow(name) + ", " + std::to_string(buffer.size()) +
               " bytes) = " +
               (value ? "type " + std::to_string(value->type) + ", " + std::to_string(value->size) +
                            " bytes"
                      : "failed"));
        return value;
    }
    bool WriteValue(RegistryKey key, std::wstring_view name, std::uint32_t type,
                    std::span<const std::byte> data) override {
        const bool written = real.WriteValue(key, name, type, data);
        Report("RegSetValueExW(" + Narrow(name) + ", type " + std::to_string(type) + ", " +
               std::to_string(data.size()) + " bytes) = " + (written ? "stored" : "failed"));
        return written;
    }
    void CloseKey(RegistryKey key) override {
        EXPECT_TRUE(ledger.Close(tokens[static_cast<std::uintptr_t>(key)]));
        tokens.erase(static_cast<std::uintptr_t>(key));
        real.CloseKey(key);
    }

private:
    Win32Registry real;
    std::map<std::uintptr_t, std::uintptr_t> tokens;
};

struct ToolRun {
    DWORD exitCode = 0xFFFFFFFF;
    std::string output;
};

// Runs the platform's reg tool with the arguments given, its output and errors caught in a pipe.
ToolRun RunRegTool(const std::wstring& arguments) {
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE readRaw = nullptr;
    HANDLE writeRaw = nullptr;
    if (!CreatePipe(&readRaw, &writeRaw, &inheritable, 0)) {
        return {};
    }
    const KernelHandle readEnd(readRaw);
    KernelHandle writeEnd(writeRaw);
    SetHandleInformation(readEnd.Get(), HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd.Get();
    startup.hStdError = writeEnd.Get();
    PROCESS_INFORMATION started{};
    std::wstring commandLine = L"reg.exe " + arguments;
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                        nullptr, nullptr, &startup, &started)) {
        return {};
    }
    const KernelHandle process(started.hProcess);
    const KernelHandle thread(started.hThread);
    // Only the child holds the write end now, so the reads end when it does.
    writeEnd = KernelHandle();

    ToolRun run;
    std::array<char, 4096> chunk{};
    DWORD got = 0;
    while (ReadFile(readEnd.Get(), chunk.data(), chunk.size(), &got, nullptr) && got > 0) {
        run.output.append(chunk.data(), got);
    }
    WaitForSingleObject(process.Get(), 30000);
    GetExitCodeProcess(process.Get(), &run.exitCode);
    return run;
}

void Plant(const std::wstring& name, const std::wstring& type, const std::wstring& data) {
    const ToolRun run = RunRegTool(L"add " + kToolKey + L" /v " + name + L" /t " + type +
                                   L" /d \"" + data + L"\" /f");
    ASSERT_EQ(run.exitCode, 0u) << Narrow(name) << ": " << run.output;
}

struct Listed {
    std::string type;
    std::string data;
    friend bool operator==(const Listed&, const Listed&) = default;
};

// The values that "reg query" lists for the key: lines of name, type and data, each after four
// spaces.
std::map<std::string, Listed> ListedValues(const std::string& output) {
    std::map<std::string, Listed> values;
    std::size_t at = 0;
    while (at < output.size()) {
        std::size_t end = output.find('\n', at);
        end = end == std::string::npos ? output.size() : end;
        std::string line = output.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const std::string gap = "    ";
        if (!line.starts_with(gap)) {
            continue;
        }
        const std::size_t typeAt = line.find(gap, gap.size());
        const std::size_t dataAt =
            typeAt == std::string::npos ? std::string::npos : line.find(gap, typeAt + gap.size());
        if (dataAt == std::string::npos) {
            continue;
        }
        values[line.substr(gap.size(), typeAt - gap.size())] = {
            line.substr(typeAt + gap.size(), dataAt - typeAt - gap.size()),
            line.substr(dataAt + gap.size())};
    }
    return values;
}

struct Stored {
    LSTATUS status = ERROR_FILE_NOT_FOUND;
    DWORD type = 0;
    std::vector<BYTE> data;
};

// A value as the registry holds it, read past the adapter with room for anything the tests plant.
Stored StoredValue(const std::wstring& name) {
    HKEY opened = nullptr;
    Stored stored;
    stored.status = RegOpenKeyExW(HKEY_CURRENT_USER, std::wstring(kIgnoreListKeyPath).c_str(), 0,
                                  KEY_READ, &opened);
    if (stored.status != ERROR_SUCCESS) {
        return stored;
    }
    const RegistryKeyHandle key(opened);
    stored.data.resize(4096);
    DWORD size = static_cast<DWORD>(stored.data.size());
    stored.status =
        RegQueryValueExW(key.Get(), name.c_str(), nullptr, &stored.type, stored.data.data(), &size);
    stored.data.resize(stored.status == ERROR_SUCCESS ? size : 0);
    return stored;
}

std::vector<BYTE> Utf16Bytes(std::wstring_view text, bool terminated) {
    const auto* first = reinterpret_cast<const BYTE*>(text.data());
    std::vector<BYTE> bytes(first, first + text.size() * sizeof(wchar_t));
    if (terminated) {
        bytes.insert(bytes.end(), sizeof(wchar_t), 0);
    }
    return bytes;
}

// Every case works on the one real key, and ctest may run cases in parallel processes: a named
// mutex, shared by every process of the prefix, lets one case at a time use the key.
class Win32IgnoreList : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(keyInUse) << "no mutex, error " << GetLastError();
        const DWORD waited = WaitForSingleObject(keyInUse.Get(), 60000);
        ASSERT_TRUE(waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) << waited;
        holdsKey = true;
        DeleteKey();
    }
    void TearDown() override {
        EXPECT_TRUE(registry.ledger.IsEmpty()) << registry.ledger.Describe();
        if (holdsKey) {
            DeleteKey();
            ReleaseMutex(keyInUse.Get());
        }
    }
    static void DeleteKey() {
        RegDeleteTreeW(HKEY_CURRENT_USER, std::wstring(kIgnoreListKeyPath).c_str());
    }

    const KernelHandle keyInUse{CreateMutexW(nullptr, FALSE, L"Local\\velmora-ignore-list-tests")};
    bool holdsKey = false;
    RecordedRegistry registry;
    Win32ProcessList processes;
};

TEST_F(Win32IgnoreList, FirstLoadCreatesTheEmptyKeyThatTheRegToolFinds) {
    ASSERT_EQ(RunRegTool(L"query " + kToolKey).exitCode, 1u) << "the key was left from before";
    std::vector<std::uint32_t> pids{99};

    EXPECT_TRUE(LoadIgnoreList(registry, processes, pids));

    EXPECT_TRUE(pids.empty());
    const ToolRun query = RunRegTool(L"query " + kToolKey);
    Report("reg query after the first load: exit " + std::to_string(query.exitCode) + "\n" +
           query.output);
    // The tool finds the key; it prints no line for a key without values.
    EXPECT_EQ(query.exitCode, 0u);
    EXPECT_TRUE(ListedValues(query.output).empty()) << query.output;
}

TEST_F(Win32IgnoreList, AppendedEntriesAreWhatTheRegToolShowsAndStoredByteForByte) {
    Plant(L"Size", L"REG_DWORD", L"4");

    EXPECT_TRUE(AppendIgnoreEntry(registry, L"someapp.exe"));
    EXPECT_TRUE(AppendIgnoreEntry(registry, L"velmora.exe"));
    EXPECT_TRUE(AppendIgnoreEntry(registry, L""));
    EXPECT_TRUE(AppendIgnoreEntry(registry, L"someapp.exe"));
    EXPECT_TRUE(AppendIgnoreEntry(registry, L"\u00e4rger.exe"));

    const ToolRun query = RunRegTool(L"query " + kToolKey);
    Report("reg query after the appends:\n" + query.output);
    const std::map<std::string, Listed> listed = ListedValues(query.output);
    EXPECT_EQ(listed.size(), 4u) << query.output;
    EXPECT_EQ(listed.at("Size"), (Listed{"REG_DWORD", "0x7"}));
    EXPECT_EQ(listed.at("FileName5"), (Listed{"REG_SZ", "someapp.exe"}));
    EXPECT_EQ(listed.at("FileName6"), (Listed{"REG_SZ", "someapp.exe"}));
    EXPECT_EQ(listed.at("FileName7").type, "REG_SZ");

    const Stored last = StoredValue(L"FileName7");
    EXPECT_EQ(last.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(last.data, Utf16Bytes(L"\u00e4rger.exe", true));
    const Stored size = StoredValue(L"Size");
    EXPECT_EQ(size.type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(size.data, (std::vector<BYTE>{7, 0, 0, 0}));

    EXPECT_EQ(ReadIgnoreList(registry), (Names{L"someapp.exe", L"someapp.exe", L"\u00e4rger.exe"}));
}

TEST_F(Win32IgnoreList, ValuesPlantedWithTheRegToolAreReadAsStored) {
    const std::wstring chars259(259, L'n');
    Plant(L"Size", L"REG_DWORD", L"13");
    Plant(L"FileName1", L"REG_SZ", L"a.exe");
    Plant(L"FileName2", L"REG_DWORD", L"5");
    Plant(L"FileName3", L"REG_SZ", std::wstring(300, L'x'));
    Plant(L"FileName4", L"REG_EXPAND_SZ", L"%SystemRoot%\\x.exe");
    Plant(L"FileName5", L"REG_SZ", L"");
    // No number 6.
    Plant(L"FileName7", L"REG_SZ", chars259);
    Plant(L"FileName8", L"REG_SZ", std::wstring(260, L'y'));
    Plant(L"FileName9", L"REG_BINARY", L"61006200000000");
    Plant(L"FileName10", L"REG_SZ", L"B.EXE");

    // Strings of odd length or of no bytes at all cannot be given to "reg add"; a file in the
    // editor's own format plants them. It must be UTF-16: from a file of narrow text
    // the tool widens string bytes as if they were characters.
    std::array<wchar_t, MAX_PATH + 1> temp{};
    GetTempPathW(MAX_PATH, temp.data());
    const std::wstring file = std::wstring(temp.data()) + L"velmora-ignore-" +
                              std::to_wstring(GetCurrentProcessId()) + L".reg";
    const std::wstring text = L"\uFEFFWindows Registry Editor Version 5.00\r\n\r\n[" + kToolKey +
                              L"]\r\n\"FileName12\"=hex(1):61,00,00\r\n"
                              L"\"FileName13\"=hex(1):\r\n";
    {
        const FileHandle out(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
        const DWORD bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(out.Get(), text.data(), bytes, &written, nullptr));
    }
    const ToolRun imported = RunRegTool(L"import \"" + file + L"\"");
    DeleteFileW(file.c_str());
    ASSERT_EQ(imported.exitCode, 0u) << imported.output;
    // A string without its terminator: the registry calls add one when the character just past
    // the data given is null, so the data is the first two characters of three.
    {
        HKEY opened = nullptr;
        ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, std::wstring(kIgnoreListKeyPath).c_str(), 0,
                                KEY_SET_VALUE, &opened),
                  ERROR_SUCCESS);
        const RegistryKeyHandle key(opened);
        const std::wstring followed = L"abX";
        ASSERT_EQ(RegSetValueExW(key.Get(), L"FileName11", 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(followed.data()),
                                 2 * sizeof(wchar_t)),
                  ERROR_SUCCESS);
    }

    for (int number = 1; number <= 13; ++number) {
        const Stored stored = StoredValue(L"FileName" + std::to_wstring(number));
        Report("planted FileName" + std::to_string(number) + ": status " +
               std::to_string(stored.status) + ", type " + std::to_string(stored.type) + ", " +
               std::to_string(stored.data.size()) + " bytes");
    }
    // The planted shapes are the ones meant: an empty string with its terminator only, and the
    // three that the platform's tools never write.
    EXPECT_EQ(StoredValue(L"FileName5").data, Utf16Bytes(L"", true));
    EXPECT_EQ(StoredValue(L"FileName11").data, Utf16Bytes(L"ab", false));
    // The import adds a terminator to the three bytes given; the length stays odd.
    EXPECT_EQ(StoredValue(L"FileName12").data.size() % 2, 1u);
    EXPECT_TRUE(StoredValue(L"FileName13").data.empty());
    EXPECT_EQ(StoredValue(L"FileName13").type, static_cast<DWORD>(REG_SZ));

    EXPECT_EQ(ReadIgnoreList(registry),
              (Names{L"a.exe", L"%SystemRoot%\\x.exe", L"", chars259, L"B.EXE", L""}));
}

TEST_F(Win32IgnoreList, SizePlantedAsAnythingButAFourByteDwordListsNothing) {
    struct SizeCase {
        const wchar_t* type;
        const wchar_t* data;
        Names names;
    };
    const SizeCase cases[] = {
        {L"REG_DWORD", L"1", {L"a.exe"}},
        {L"REG_SZ", L"1", {}},
        {L"REG_QWORD", L"1", {}},
        {L"REG_BINARY", L"01000000", {}},
        {L"REG_DWORD_BIG_ENDIAN", L"1", {}},
    };
    Plant(L"FileName1", L"REG_SZ", L"a.exe");
    for (const SizeCase& c : cases) {
        Plant(L"Size", c.type, c.data);
        EXPECT_EQ(ReadIgnoreList(registry), c.names) << Narrow(c.type);
    }
}

TEST_F(Win32IgnoreList, LoadGivesAPlantedNameTheIdOfTheRunningProcessBearingIt) {
    std::array<wchar_t, MAX_PATH + 1> path{};
    const std::wstring own(path.data(), GetModuleFileNameW(nullptr, path.data(), MAX_PATH));
    std::wstring base = own.substr(own.find_last_of(L"\\/") + 1);
    for (wchar_t& c : base) {
        c = c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
    }
    Plant(L"Size", L"REG_DWORD", L"2");
    Plant(L"FileName1", L"REG_SZ", L"no-such-program.exe");
    Plant(L"FileName2", L"REG_SZ", base);
    std::vector<std::uint32_t> pids;

    EXPECT_TRUE(LoadIgnoreList(registry, processes, pids));

    // Cases running in parallel are processes of the same name, and the last one enumerated wins.
    ASSERT_EQ(pids.size(), 2u);
    EXPECT_EQ(pids[0], 0u);
    ASSERT_NE(pids[1], 0u);
    EXPECT_TRUE(EqualIgnoringCaseAZ(ProcessNameOf(processes, pids[1]), base)) << Narrow(base);
}

} // namespace
} // namespace velmora::win32
