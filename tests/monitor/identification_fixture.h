// A world for identification: the host's definitions, candidates, and the
// executables' files and version resources.
#pragma once

#include <chrono>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "monitor/identification.h"
#include "support/library_test.h"

namespace plv::testing {

// Calendar seconds of a UTC moment.
inline std::int64_t UtcSeconds(int year, unsigned month, unsigned day, int hour = 12) {
    using namespace std::chrono;
    const sys_days date{std::chrono::year{year} / std::chrono::month{month} / std::chrono::day{day}};
    return date.time_since_epoch().count() * std::int64_t{86400} + hour * 3600;
}

// A file date as definitions hold it: whole days since 1980 times 86400.
inline std::uint32_t FileDate(int year, unsigned month, unsigned day) {
    return static_cast<std::uint32_t>((UtcSeconds(year, month, day, 0) - UtcSeconds(1980, 1, 1, 0)));
}

class IdentificationTest : public LibraryTest {
  protected:
    IdentificationTest() {
        agent.optionFlags = 0;
        Initialize();
    }

    // A new definition at the end of the host's list, of the given kind and
    // without criteria.
    PLVAppDefinition &AddDefinition(std::uint8_t kind) {
        PLVAppDefinition &definition = definitions_.emplace_back();
        std::memset(&definition, 0, sizeof definition);
        std::memset(definition.hostData2, 'h', sizeof definition.hostData2);
        definition.kind = kind;
        if (definitions_.size() == 1)
            runtime.definitions = &definition;
        else
            definitions_[definitions_.size() - 2].next = &definition;
        return definition;
    }

    void ClearDefinitions() {
        definitions_.clear();
        runtime.definitions = nullptr;
    }

    static PLVCandidate Candidate(const char *path, const char *title = "Report - Writer",
                                  const char *className = "WriterMainWindow") {
        PLVCandidate candidate{};
        std::strcpy(candidate.programPath, path);
        std::strcpy(candidate.title, title);
        std::strcpy(candidate.className, className);
        candidate.window = reinterpret_cast<PLVHWND>(std::uintptr_t{0x5000});
        candidate.processId = 0x310;
        candidate.threadId = 0x311;
        return candidate;
    }

    void AddFile(const std::string &path, std::uint64_t size, std::int64_t modified) {
        FakePlatform::File file;
        file.size = size;
        file.modified = modified;
        fake.files.files[path] = file;
    }

    void AddVersion(const std::string &path, WORD language, WORD codePage,
                    std::map<std::string, std::string> strings) {
        FakePlatform::VersionResource resource;
        resource.translations = {{language, codePage}};
        char prefix[40];
        std::snprintf(prefix, sizeof prefix, "\\StringFileInfo\\%04x%04x\\", unsigned{language},
                      unsigned{codePage});
        for (auto &[name, value] : strings) resource.strings[prefix + name] = value;
        fake.versions[path] = resource;
    }

    // The new definitions handed to the definition writer, in order.
    std::vector<PLVNewDefinition> Recorded() const {
        std::vector<PLVNewDefinition> recorded;
        for (auto *node = static_cast<PLVPendingDefinitionNode *>(runtime.pendingDefinitions);
             node != nullptr; node = static_cast<PLVPendingDefinitionNode *>(node->next))
            recorded.push_back(node->pending.definition);
        return recorded;
    }

  private:
    std::deque<PLVAppDefinition> definitions_;
};

}  // namespace plv::testing
