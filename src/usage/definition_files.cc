#include "usage/definition_files.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "core/display.h"
#include "core/file_errors.h"
#include "core/library_state.h"
#include "usage/usage_event.h"

namespace plv {

DefinitionFileState definitionFiles;

namespace {

// Capacity of a fixed text field: its width less the terminator.
template <std::size_t Width>
constexpr int Capacity(const char (&)[Width]) {
    return static_cast<int>(Width - 1);
}

std::uint32_t CloseAttempts() { return Agent().closeRetryCount + 1; }

void StampRecording(PLVPendingDefinition *pending) {
    WSDate date{};
    WSTime time{};
    NetworkDateTime(&date, &time);
    char text[32];
    std::snprintf(text, sizeof text, "%04d%02d%02d", date.year, date.month, date.day);
    LeftStr(pending->recordingDate, text, sizeof pending->recordingDate - 1);
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", time.hour, time.minute, time.second);
    LeftStr(pending->recordingTime, text, sizeof pending->recordingTime - 1);
}

void DropWrittenDefinitions() {
    auto *node = static_cast<PLVPendingDefinitionNode *>(Runtime().pendingDefinitions);
    while (node != nullptr) {
        auto *next = static_cast<PLVPendingDefinitionNode *>(node->next);
        if ((node->pending.flags & PLV_DEFINITION_WRITTEN) != 0) {
            PLVRemoveFromList(&Runtime().pendingDefinitions, node);
        }
        node = next;
    }
}

}  // namespace

void ResetDefinitionFileState() { definitionFiles = DefinitionFileState{}; }

void RecordNewAppDef(PLVNewDefinition definition) {
    PLVPendingDefinitionNode node{};
    PLVPendingDefinition &pending = node.pending;
    StampRecording(&pending);
    // The runtime record's texts may be longer than these fields: cut them.
    const PLVAgentRuntime &runtime = Runtime();
    LeftStr(pending.workstationName, runtime.workstationName, sizeof pending.workstationName - 1);
    LeftStr(pending.userName, runtime.userName, sizeof pending.userName - 1);
    LeftStr(pending.userContext, runtime.userContext, sizeof pending.userContext - 1);
    pending.definition = definition;
    pending.flags = 0;

    definitionFiles.writeCountdown = CloseAttempts();

    if (PLVAppendToList(&Runtime().pendingDefinitions, &node, sizeof node) == nullptr) return;
    if (TraceOn()) {
        char line[kMaxDefinitionLine + 1];
        FormatAppDefString(pending, line);
        Trace("%s: %s", "AppDef", line);
    }
}

std::int32_t UpdateAppDefs() {
    std::int32_t result = 1;
    if (definitionFiles.writeCountdown != 0) {
        char directory[300];
        std::snprintf(directory, sizeof directory, "%s\\%s\\", Runtime().homePath, "LOGS");
        if (WriteAppDefs(directory) == 0) result = 0;
        --definitionFiles.writeCountdown;
    }
    DropWrittenDefinitions();
    return result;
}

std::int32_t WriteAppDefs(const char *directory) {
    HANDLE file = nullptr;
    std::string path;
    std::int32_t result = 1;
    for (auto *node = static_cast<PLVPendingDefinitionNode *>(Runtime().pendingDefinitions);
         node != nullptr; node = static_cast<PLVPendingDefinitionNode *>(node->next)) {
        PLVPendingDefinition &pending = node->pending;
        const std::string name =
            std::string(pending.recordingDate, strnlen(pending.recordingDate, 8)) + ".DEF";
        if (file != nullptr && name != definitionFiles.currentFileName) {
            CloseDefFile(file, path.c_str());
            file = nullptr;
        }
        if (file == nullptr) {
            path = directory + name;
            file = OpenDefFile(path.c_str());
            if (file == nullptr) {
                result = 0;
                break;
            }
            LeftStr(definitionFiles.currentFileName, name.c_str(),
                    sizeof definitionFiles.currentFileName - 1);
            Trace("%s: %s", "Def File", path.c_str());
        }

        char line[kMaxDefinitionLine + 1];
        FormatAppDefString(pending, line);
        if (WriteAppDefString(file, line) == 0) {
            result = 0;
            break;
        }
        Trace("%s: %s", "Definition Write", line);
        pending.flags |= PLV_DEFINITION_WRITTEN;
    }
    if (file != nullptr) CloseDefFile(file, path.c_str());
    return result;
}

void FormatAppDefString(const PLVPendingDefinition &pending,
                        char (&line)[kMaxDefinitionLine + 1]) {
    const PLVNewDefinition &d = pending.definition;
    // Every text is bounded by its field, so the line never exceeds its
    // longest form; a language identifier is 16 bits.
    std::snprintf(line, sizeof line, "%.*s;%.*s;%.*s;%.*s;%.*s;%.*s;%.*s;%.*s;%li;%.*s;%.*s;%.*s;%.*s;%.*s;%04x",
                  Capacity(pending.recordingDate), pending.recordingDate,
                  Capacity(pending.recordingTime), pending.recordingTime,
                  Capacity(pending.workstationName), pending.workstationName,
                  Capacity(pending.userName), pending.userName,
                  Capacity(pending.userContext), pending.userContext,
                  Capacity(d.directory), d.directory, Capacity(d.fileName), d.fileName,
                  Capacity(d.fileDate), d.fileDate,
                  static_cast<long>(static_cast<std::int32_t>(d.fileSize)),
                  Capacity(d.windowTitle), d.windowTitle, Capacity(d.windowClass), d.windowClass,
                  Capacity(d.productName), d.productName, Capacity(d.companyName), d.companyName,
                  Capacity(d.productVersion), d.productVersion,
                  static_cast<unsigned>(d.languageId & 0xFFFF));
}

HANDLE OpenDefFile(const char *path) {
    DWORD end = 0;
    return OpenSharedFileForAppend(path, &end);
}

std::int32_t WriteAppDefString(HANDLE file, const char *line) {
    char buffer[kMaxDefinitionLine + 3];
    const std::size_t length = strnlen(line, kMaxDefinitionLine);
    std::memcpy(buffer, line, length);
    buffer[length] = '\r';
    buffer[length + 1] = '\n';
    // A failed or short write is cut back, so no partial line stays behind.
    return AppendWhole(file, buffer, static_cast<DWORD>(length + 2)) ? 1 : 0;
}

std::int32_t CloseDefFile(HANDLE file, const char *path) {
    if (CloseWithRetries(file, CloseAttempts())) return 1;
    Trace("Failed to close def file: handle = %d, path = %s",
          static_cast<int>(reinterpret_cast<std::intptr_t>(file)), path);
    return 0;
}

}  // namespace plv
