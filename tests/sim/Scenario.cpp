#include "tests/sim/Scenario.h"

#include <charconv>
#include <map>

namespace velmora::sim {
namespace {

// Splits a line into words; double quotes keep spaces inside one word.
std::vector<std::wstring> Words(std::wstring_view line) {
    std::vector<std::wstring> words;
    std::size_t at = 0;
    while (at < line.size()) {
        if (line[at] == L' ' || line[at] == L'\t' || line[at] == L'\r') {
            ++at;
            continue;
        }
        if (line[at] == L'#') {
            break;
        }
        std::wstring word;
        if (line[at] == L'"') {
            const std::size_t end = line.find(L'"', at + 1);
            word = line.substr(at + 1, end == std::wstring_view::npos ? end : end - at - 1);
            at = end == std::wstring_view::npos ? line.size() : end + 1;
        } else {
            while (at < line.size() && line[at] != L' ' && line[at] != L'\t' && line[at] != L'\r') {
                word.push_back(line[at++]);
            }
        }
        words.push_back(std::move(word));
    }
    return words;
}

std::optional<std::uint32_t> Number(const std::wstring& word) {
    std::string narrow(word.begin(), word.end());
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(narrow.data(), narrow.data() + narrow.size(), value);
    if (error != std::errc() || end != narrow.data() + narrow.size() || narrow.empty()) {
        return std::nullopt;
    }
    return value;
}

std::optional<wchar_t> Letter(const std::wstring& word) {
    if (word.size() != 1 || word[0] < L'A' || word[0] > L'Z') {
        return std::nullopt;
    }
    return word[0];
}

const std::map<std::wstring, std::uint32_t> kDriveTypes{
    {L"removable", 2}, {L"fixed", 3}, {L"remote", 4}, {L"cdrom", 5}, {L"ramdisk", 6}};

class Reader {
public:
    explicit Reader(Scenario& scenario) : scenario(scenario) {}

    bool Statement(const std::vector<std::wstring>& words) {
        const std::wstring& verb = words[0];
        if (verb == L"drive") {
            return DriveStatement(words);
        }
        if (verb == L"process" &&
            (words.size() == 3 || (words.size() == 4 && words[3] == L"unreadable"))) {
            const auto id = Number(words[1]);
            scenario.processes.push_back({id.value_or(0), words[2], words.size() == 3});
            return id.has_value();
        }
        if (verb == L"file" && (words.size() == 4 || (words.size() == 5 && words[4] == L"hangs"))) {
            const auto id = Number(words[1]);
            const auto letter = Letter(words[2]);
            scenario.files.push_back(
                {id.value_or(0), letter.value_or(L'A'), words[3], words.size() == 5});
            return id && letter;
        }
        if (verb == L"window" && words.size() == 4) {
            const auto id = Number(words[1]);
            const std::wstring& state = words[2];
            scenario.windows.push_back(
                {id.value_or(0), words[3], state == L"minimised", state != L"hidden"});
            return id && (state == L"minimised" || state == L"normal" || state == L"hidden");
        }
        if (verb == L"eject" && words.size() >= 4) {
            return EjectStatement(words);
        }
        if (verb == L"flush" && words.size() == 3 && words[2] == L"in-use") {
            Scenario::Drive* drive = Find(words[1]);
            return drive != nullptr && (drive->inUse = true);
        }
        if (verb == L"pause" && words.size() == 3 && words[1] == L"device-pass") {
            const auto pause = Number(words[2]);
            scenario.devicePassPauseMs = pause.value_or(0);
            return pause.has_value();
        }
        if (verb == L"fault" && words.size() == 3 && words[1] == L"device-pass") {
            if (words[2] == L"access-violation") {
                scenario.devicePassFault = Scenario::Fault::AccessViolation;
            } else if (words[2] == L"divide-by-zero") {
                scenario.devicePassFault = Scenario::Fault::DivideByZero;
            }
            return scenario.devicePassFault != Scenario::Fault::None;
        }
        return false;
    }

private:
    bool DriveStatement(const std::vector<std::wstring>& words) {
        if (words.size() < 3 || words.size() > 5) {
            return false;
        }
        const auto letter = Letter(words[1]);
        const auto type = kDriveTypes.find(words[2]);
        if (!letter || type == kDriveTypes.end() || Find(words[1]) != nullptr) {
            return false;
        }
        Scenario::Drive drive;
        drive.letter = *letter;
        drive.driveType = type->second;
        for (std::size_t i = 3; i < words.size(); ++i) {
            if (words[i] == L"not-disableable") {
                drive.disableable = false;
            } else if (!drive.friendlyName) {
                drive.friendlyName = words[i];
            } else {
                return false;
            }
        }
        scenario.drives.push_back(std::move(drive));
        return true;
    }

    bool EjectStatement(const std::vector<std::wstring>& words) {
        Scenario::Drive* drive = Find(words[1]);
        if (drive == nullptr) {
            return false;
        }
        Scenario::EjectReply reply;
        if (words[2] == L"veto" && (words.size() == 4 || words.size() == 5)) {
            const auto type = Number(words[3]);
            reply.vetoType = type.value_or(0);
            reply.vetoName = words.size() == 5 ? words[4] : L"";
            drive->ejectReplies.push_back(reply);
            return type.has_value();
        }
        if (words[2] == L"fail" && words.size() == 4) {
            const auto result = Number(words[3]);
            reply.result = result.value_or(0);
            drive->ejectReplies.push_back(reply);
            return result.has_value();
        }
        return false;
    }

    Scenario::Drive* Find(const std::wstring& word) {
        for (Scenario::Drive& drive : scenario.drives) {
            if (word.size() == 1 && drive.letter == word[0]) {
                return &drive;
            }
        }
        return nullptr;
    }

    Scenario& scenario;
};

} // namespace

std::wstring Scenario::VolumeOf(wchar_t letter) const {
    for (std::size_t index = 0; index < drives.size(); ++index) {
        if (drives[index].letter == letter) {
            return L"\\Device\\HarddiskVolume" + std::to_wstring(10 + index);
        }
    }
    return {};
}

std::optional<Scenario> ParseScenario(std::wstring_view text, std::wstring& error) {
    Scenario scenario;
    Reader reader(scenario);
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const std::size_t end = text.find(L'\n');
        const std::wstring_view line = text.substr(0, end);
        text = end == std::wstring_view::npos ? std::wstring_view{} : text.substr(end + 1);
        const auto words = Words(line);
        if (!words.empty() && !reader.Statement(words)) {
            error = L"line " + std::to_wstring(lineNumber) + L": " + std::wstring(line);
            return std::nullopt;
        }
    }
    return scenario;
}

} // namespace velmora::sim
