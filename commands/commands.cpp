// The three command lines, and what the buttons and the workers start with them.
#include "commands/commands.h"

#include <string>

const char ReleaseCommand[] = "ipconfig /release";
const char RenewCommand[] = "ipconfig /renew";
const char PowerOffCommand[] = "shutdown.exe -s -t 0";

int32_t ShowValueForWindowMode(int32_t windowMode) {
    // Window modes 1..6: hidden, normal, minimised, maximised, normal without
    // activation, minimised without activation.
    static const int32_t showValues[] = {0, 1, 2, 3, 4, 6};
    int32_t mode = windowMode == WindowModeOmitted ? 2 : windowMode;
    if (mode < 1) mode = 1;
    if (mode > 6) mode = 6;
    return showValues[mode - 1];
}

std::string SystemProgramPath(const char* commandLine, const std::string& systemFolder) {
    if (commandLine == nullptr) return std::string();
    const std::string line(commandLine);
    size_t begin = line.find_first_not_of(" \t");
    if (begin == std::string::npos) return std::string();
    std::string word;
    if (line[begin] == '"') {
        const size_t end = line.find('"', begin + 1);
        word = line.substr(begin + 1, end == std::string::npos ? std::string::npos : end - begin - 1);
    } else {
        word = line.substr(begin, line.find_first_of(" \t", begin) - begin);
    }
    // A program named with a folder or a drive is started as named.
    if (word.empty() || word.find_first_of("\\/:") != std::string::npos) return std::string();
    if (word.find('.') == std::string::npos) word += ".exe";
    std::string path = systemFolder;
    if (!path.empty() && path.back() != '\\') path += '\\';
    return path + word;
}

void ReleaseNetwork() { RunCommandLine(ReleaseCommand, false, WindowModeHidden); }

void OnDisconnectClicked() { ReleaseNetwork(); }

void OnConnectClicked() { RunCommandLine(RenewCommand, false, WindowModeHidden); }
