// Definitions of unrecognised applications, recorded and appended to the
// day's definition file.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/win32_api.h"
#include "plvlib32.h"

namespace plv {

struct DefinitionFileState {
    std::uint32_t writeCountdown = 0;  // write passes still to try
    char currentFileName[13] = {};     // "YYYYMMDD.DEF" opened last
};

extern DefinitionFileState definitionFiles;

void ResetDefinitionFileState();

// Longest line before its CR LF: fifteen fields at capacity and 14 separators.
constexpr std::size_t kMaxDefinitionLine = 680;

// Stamps a new definition and queues it for the definition writer.
void RecordNewAppDef(PLVNewDefinition definition);

// One write pass while the definition write countdown lasts; 1 when no pass
// ran or every pending definition was written.
std::int32_t UpdateAppDefs();

// One pass over the pending definitions into `directory` (ending in a
// backslash); 1 when every one was written.
std::int32_t WriteAppDefs(const char *directory);

// The definition's line, without CR LF.
void FormatAppDefString(const PLVPendingDefinition &pending, char (&line)[kMaxDefinitionLine + 1]);

// Open for appending at the end of the file, or null.
HANDLE OpenDefFile(const char *path);

// 1 when the line and its CR LF were written whole.
std::int32_t WriteAppDefString(HANDLE file, const char *line);

// 1 when the handle was closed; the path serves the trace line only.
std::int32_t CloseDefFile(HANDLE file, const char *path);

}  // namespace plv
