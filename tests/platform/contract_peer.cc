#include "platform/contract_peer.h"

#include <cstdlib>
#include <iostream>
#include <sstream>

namespace plv::testing {
namespace {

DWORD Number(const std::string &answer) {
    return static_cast<DWORD>(std::strtoul(answer.c_str(), nullptr, 10));
}

}  // namespace

// Each command is one line; a path is its last word and may hold blanks.
int AnswerPeerCommands(Platform &os) {
    HANDLE file = INVALID_HANDLE_VALUE;
    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream words(line);
        std::string command;
        words >> command;
        if (command == "open") {
            DWORD access, share, disposition;
            words >> access >> share >> disposition;
            std::string path;
            std::getline(words >> std::ws, path);
            file = os.CreateFileA(path.c_str(), access, share, nullptr, disposition,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
            std::cout << (file == INVALID_HANDLE_VALUE ? os.GetLastError() : 0) << std::endl;
        } else if (command == "lock") {
            DWORD offset, length;
            words >> offset >> length;
            std::cout << (os.LockFile(file, offset, 0, length, 0) ? 0 : os.GetLastError())
                      << std::endl;
        } else if (command == "take") {
            std::string name;
            words >> name;
            HANDLE semaphore = os.CreateSemaphoreA(nullptr, 1, 1, name.c_str());
            const bool taken = semaphore && os.WaitForSingleObject(semaphore, 0) == WAIT_OBJECT_0;
            std::cout << (taken ? "taken" : "busy") << std::endl;
        } else if (command == "find") {
            std::string name;
            words >> name;
            HANDLE semaphore = os.OpenSemaphoreA(SYNCHRONIZE, FALSE, name.c_str());
            const DWORD error = semaphore == nullptr ? os.GetLastError() : 0;
            if (semaphore != nullptr) os.CloseHandle(semaphore);
            std::cout << error << std::endl;
        } else {
            std::cout << "unknown " << command << std::endl;
        }
    }
    return 0;
}

DWORD HelperPeer::Open(const std::string &path, DWORD access, DWORD shareMode, DWORD disposition) {
    return Number(process_.Ask("open " + std::to_string(access) + " " + std::to_string(shareMode) +
                               " " + std::to_string(disposition) + " " + path));
}

DWORD HelperPeer::Lock(DWORD offset, DWORD length) {
    return Number(process_.Ask("lock " + std::to_string(offset) + " " + std::to_string(length)));
}

bool HelperPeer::TakeSemaphore(const std::string &name) {
    return process_.Ask("take " + name) == "taken";
}

DWORD HelperPeer::FindSemaphore(const std::string &name) {
    return Number(process_.Ask("find " + name));
}

}  // namespace plv::testing
