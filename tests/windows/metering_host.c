/* A host written in plain C against the published interface alone, as a
 * 32-bit Windows host is: PLVLIB32.DLL loaded with LoadLibraryA, each of its
 * 58 exports found by its exact name with GetProcAddress, the records laid
 * out byte for byte in their 32-bit layouts by declarations of its own (not
 * the library's header), every entry called as stdcall. It meters a whole
 * run: a windowed program known by a definition from its start to its end,
 * a program on the ignore list passed over; then it decodes the day's log
 * file by the file layout and the scrambling rule. Each failed check is
 * printed; the exit status is the number of them. */
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

#pragma pack(push, 1)
typedef struct {
    uint8_t day, month;
    uint16_t year;
    uint8_t dayOfWeek;
} HostDate;

typedef struct {
    uint8_t hour, minute, second, hundredths;
} HostTime;

typedef struct {
    uint8_t networkKind;
    char workstation[60], user[74], context[33], homePath[285], settingsFile[285], timeServer[96];
    void *definitions, *pendingEvents, *pendingDefinitions, *meteredApps;
    HMODULE networkModule;
    uint32_t netWareConnection;
    void *ignoredPrograms, *ignoredClasses, *ignoredDosPrograms, *ignored16BitPrograms;
} HostRuntime;

typedef struct {
    HostRuntime *runtime;
    const char *agentDirectory;
    uint32_t updateInterval;
    char logHeader[68];
    uint32_t agentNumber, updateCountdown;
    HANDLE clockFile;
    uint8_t smsFrequency;
    uint8_t smsStart[4];
    uint32_t refreshAction, closeRetryCount, optionFlags;
} HostAgentState;

typedef struct {
    void *next;
    const char *text;
} HostTextNode;

typedef struct {
    void *next;
    uint8_t host1[4];
    uint8_t kind;
    uint8_t host2[102];
    char location, directory[285], fileName[13], sizeTest;
    uint32_t sizeBound1, sizeBound2;
    char dateTest;
    uint8_t host3[11];
    uint32_t dateBound1;
    uint8_t host4[11];
    uint32_t dateBound2;
    char title[64];
    uint8_t titlePosition;
    char className[36], productName[36], companyName[36], productVersion[18];
    uint32_t language;
} HostDefinition;

typedef struct {
    char programPath[285], title[64], className[129];
    HWND window;
    uint32_t processId, threadId;
    uint8_t visibleOnly, virtualDosMachine;
} HostCandidate;

typedef struct {
    void *next;
    HWND window;
    uint32_t reserved1[2];
    char name[64];
    uint32_t processId, threadId;
    char status;
    uint32_t reserved2[4];
    uint32_t counter1;
    int32_t counter2;
    HostDate startDate;
    HostTime startTime;
    uint32_t updateInterval, flags;
} HostMeteredApp;

typedef struct {
    char date[11], time[9], workstation[60], user[65], context[33], spare1[65], application[64],
        eventText[51], identifier[15], startDate[11], startTime[9], count1[9], count2[6],
        spare2[15];
    uint32_t flags;
} HostEvent;
#pragma pack(pop)

/* The layouts the interface fixes for 32-bit Windows. */
_Static_assert(sizeof(void *) == 4, "a 32-bit host");
_Static_assert(sizeof(HostAgentState) == 109, "agent-state block");
_Static_assert(offsetof(HostAgentState, optionFlags) == 105, "option flags");
_Static_assert(sizeof(HostRuntime) == 874, "runtime record");
_Static_assert(offsetof(HostRuntime, definitions) == 834, "list heads");
_Static_assert(sizeof(HostDefinition) == 645, "definition");
_Static_assert(offsetof(HostDefinition, fileName) == 397, "definition file name");
_Static_assert(offsetof(HostDefinition, className) == 515, "definition class");
_Static_assert(sizeof(HostCandidate) == 492, "candidate record");
_Static_assert(offsetof(HostCandidate, window) == 478, "candidate window");
_Static_assert(sizeof(HostMeteredApp) == 130, "metered-application record");
_Static_assert(offsetof(HostMeteredApp, startDate) == 113, "start date");
_Static_assert(offsetof(HostMeteredApp, flags) == 126, "record flags");
_Static_assert(sizeof(HostEvent) == 427, "usage event record");

#define OPT_TRACE 0x1u
#define APP_METERED 0x4u
#define APP_DOS 0x8u
#define EVENT_WANTS_SHARED_LOG 0x2u
#define LINE_LIMIT 423

/* ---- The exports, by their exact names ---------------------------------- */
/* clang-format off */
static const char *const kExportNames[58] = {
    "InitializePLVLIB", "InitializeMetering", "Display", "DisplayExtraFn", "WinGetWSDate",
    "WinGetWSTime", "GetTimeDifference", "DateToJulianDay", "PLVMemAlloc", "PLVMemFree",
    "PLVAppendToList", "PLVPrependToList", "PLVRemoveFromList", "PLVExtractFromList",
    "FindTailEntry", "FindPrevToMem", "RemoveLinkedList", "GetMemoryCount", "LeftStr", "RightStr",
    "MidStr", "strTrim", "ParseString", "stristr", "GetFileError", "PLVGetDriveType",
    "InitializeNetworkAPI", "TerminateNetworkAPI", "OpenClockFile", "PLVLock", "GetNOSDateTime",
    "BuildEvent", "BuildEventString", "RebuildEvent", "LogEvent", "PLVAddEvent", "PLVUpdateLogs",
    "GetNewKey", "EncryptString", "DecryptString", "PLVIdentifyApp", "CheckForPLVINIUpdate",
    "GetNewPLVINISettings", "GetSMSSettings", "GenerateMIFIfNeeded", "DLLShutdown",
    "DeferShutdown", "ShutdownVXD", "UnregisterService", "StartTimer", "StopTimer",
    "_Timer1_Timer@16", "GetTopParent", "IsFilteredApp", "IsAppAuthorized", "CheckDOSApp",
    "RemoveDOSApp", "NotifyHook",
};
/* clang-format on */

typedef void(__stdcall *InitializeFn)(HWND, HostAgentState *, const char *, HWND **);
typedef int32_t(__stdcall *ResultFn)(void);
typedef void(__stdcall *ActionFn)(void);
typedef void(__stdcall *TimerFn)(HWND, uint32_t, uintptr_t, uint32_t);
typedef uint8_t(__stdcall *DeferFn)(uint8_t);
typedef HostMeteredApp *(__stdcall *AuthorizedFn)(uint32_t, uint32_t);
typedef int32_t(__stdcall *FilteredFn)(const HostCandidate *);
typedef HostDefinition *(__stdcall *IdentifyFn)(const HostCandidate *);
typedef void(__stdcall *BuildEventFn)(const char *, const char *, const char *, HostEvent *);
typedef uint32_t(__stdcall *EventStringFn)(const HostEvent *, char *);
typedef int32_t(__stdcall *LogEventFn)(const HostEvent *);
typedef void(__stdcall *ScrambleFn)(char *, uint16_t, uint16_t);
typedef int32_t(__stdcall *ListFn)(void **);
typedef uint32_t(__stdcall *CountFn)(void);

static HMODULE library;
/* As data pointers: each is cast to its entry's own type where called. */
static void *exports[58];
static int failures;

#define CHECK(condition, ...)                                                    \
    do {                                                                         \
        if (!(condition)) {                                                      \
            ++failures;                                                          \
            printf("%s:%d: check failed: %s: ", __FILE__, __LINE__, #condition); \
            printf(__VA_ARGS__);                                                 \
            printf("\n");                                                        \
        }                                                                        \
    } while (0)

static void *Export(const char *name) {
    for (int i = 0; i < 58; ++i) {
        if (strcmp(kExportNames[i], name) == 0) return exports[i];
    }
    return NULL;
}

/* A stdcall entry pops its own arguments: the stack pointer is the same
 * after the call as before it. */
static int TimerKeepsTheStack(TimerFn timer) {
    uintptr_t before, after;
    __asm__ volatile("movl %%esp, %0" : "=r"(before));
    timer(NULL, WM_TIMER, 0, GetTickCount());
    __asm__ volatile("movl %%esp, %0" : "=r"(after));
    return before == after;
}

/* ---- The host window and its message loop ------------------------------- */
static HWND CreateHostWindow(void) {
    WNDCLASSA windowClass;
    memset(&windowClass, 0, sizeof windowClass);
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.lpszClassName = "CHostAgent";
    if (!RegisterClassA(&windowClass)) return NULL;
    HWND window = CreateWindowExA(0, "CHostAgent", "C host", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480,
                                  NULL, NULL, windowClass.hInstance, NULL);
    if (window == NULL) return NULL;
    /* The trace list box, identifier 101. */
    if (CreateWindowExA(0, "LISTBOX", "", WS_CHILD | WS_VSCROLL | WS_HSCROLL, 0, 0, 640, 480,
                        window, (HMENU)101, windowClass.hInstance, NULL) == NULL)
        return NULL;
    return window;
}

/* Dispatches messages (the library's timer among them) until the condition
 * holds; 0 when two minutes pass first. */
static int PumpUntil(int (*condition)(void *), void *context) {
    const DWORD start = GetTickCount();
    while (!condition(context)) {
        if (GetTickCount() - start > 120000) return 0;
        MsgWaitForMultipleObjects(0, NULL, FALSE, 100, QS_ALLINPUT);
        MSG message;
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return 1;
}

/* ---- A windowed program ------------------------------------------------- */
typedef struct {
    PROCESS_INFORMATION process;
    HWND window;
} Program;

static BOOL CALLBACK FindProgramWindow(HWND window, LPARAM parameter) {
    Program *program = (Program *)parameter;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char className[32] = "";
    GetClassNameA(window, className, sizeof className);
    if (owner != program->process.dwProcessId || strcmp(className, "PLVTestWindow") != 0)
        return TRUE;
    program->window = window;
    return FALSE;
}

static int HasWindow(void *context) {
    Program *program = context;
    EnumWindows(FindProgramWindow, (LPARAM)program);
    return program->window != NULL;
}

static int HasEnded(void *context) {
    return WaitForSingleObject(((Program *)context)->process.hProcess, 0) == WAIT_OBJECT_0;
}

static int Start(Program *program, const char *path) {
    memset(program, 0, sizeof *program);
    char commandLine[400];
    snprintf(commandLine, sizeof commandLine, "\"%s\" C host program", path);
    STARTUPINFOA startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    if (!CreateProcessA(path, commandLine, NULL, NULL, FALSE, 0, NULL, NULL, &startup,
                        &program->process))
        return 0;
    CloseHandle(program->process.hThread);
    return PumpUntil(HasWindow, program);
}

/* ---- The log files, decoded by the file layout -------------------------- */
static uint32_t generator;

static unsigned KeyedRandom(unsigned seed) {
    if (seed != 0) generator = seed;
    generator = generator * 22695477u + 1u;
    return ((generator >> 16) & 0x7FFFu) % 255u;
}

static unsigned Word(const unsigned char *at) { return at[0] | (unsigned)at[1] << 8; }

typedef struct {
    char lines[64][LINE_LIMIT + 1];
    int count;
} Lines;

/* Appends the records of one log file; 0 when the file is not a sound log. */
static int DecodeLogFile(const char *path, const char *header, Lines *lines) {
    FILE *file = fopen(path, "rb");
    if (file == NULL) return 0;
    static unsigned char data[65536];
    const size_t size = fread(data, 1, sizeof data, file);
    fclose(file);
    const size_t headerLength = strlen(header);
    CHECK(size >= 4 && Word(data) == 0 && Word(data + 2) == headerLength &&
              memcmp(data + 4, header, headerLength) == 0,
          "the header of %s", path);
    size_t at = 4 + headerLength;
    while (at < size) {
        if (size - at < 8 || data[at] != 0x0D || data[at + 1] != 0x0A || Word(data + at + 2) != 280)
            return 0;
        const unsigned key = Word(data + at + 4), length = Word(data + at + 6);
        if (key < 1 || key > 254 || length > LINE_LIMIT - 1 || size - at - 8 < length) return 0;
        if (lines->count == 64) return 0;
        char *line = lines->lines[lines->count++];
        char byDll[LINE_LIMIT];
        KeyedRandom(key);
        for (unsigned i = 0; i < length; ++i) line[i] = (char)(data[at + 8 + i] - KeyedRandom(0));
        line[length] = '\0';
        /* The library's own routine unscrambles alike. */
        memcpy(byDll, data + at + 8, length);
        ((ScrambleFn)Export("DecryptString"))(byDll, (uint16_t)length, (uint16_t)key);
        CHECK(memcmp(byDll, line, length) == 0, "DecryptString of record %d", lines->count);
        at += 8 + length;
    }
    return 1;
}

static void DecodeLogs(const char *directory, const char *header, Lines *lines) {
    char pattern[MAX_PATH];
    snprintf(pattern, sizeof pattern, "%s\\*.LOG", directory);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        char path[MAX_PATH];
        snprintf(path, sizeof path, "%s\\%s", directory, found.cFileName);
        CHECK(DecodeLogFile(path, header, lines), "%s decodes to whole records", path);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

/* The field at a position (from 1) of an event line, into a buffer. */
static const char *Field(const char *line, int position, char *buffer, size_t size) {
    for (int i = 1; i < position && line != NULL; ++i) {
        line = strchr(line, ';');
        if (line != NULL) ++line;
    }
    if (line == NULL) return "";
    const char *end = strchr(line, ';');
    size_t length = end != NULL ? (size_t)(end - line) : strlen(line);
    if (length >= size) length = size - 1;
    memcpy(buffer, line, length);
    buffer[length] = '\0';
    return buffer;
}

/* The lines with that application and event text. */
static int Count(const Lines *lines, const char *application, const char *event, int *last) {
    int count = 0;
    for (int i = 0; i < lines->count; ++i) {
        char a[80], e[80];
        if (strcmp(Field(lines->lines[i], 7, a, sizeof a), application) == 0 &&
            strcmp(Field(lines->lines[i], 8, e, sizeof e), event) == 0) {
            ++count;
            *last = i;
        }
    }
    return count;
}

typedef struct {
    const char *logs, *header, *application, *event;
} Sought;

static int Logged(void *context) {
    const Sought *sought = context;
    static Lines lines;
    lines.count = 0;
    DecodeLogs(sought->logs, sought->header, &lines);
    int last = 0;
    return Count(&lines, sought->application, sought->event, &last) > 0;
}

/* ---- The run ------------------------------------------------------------ */
static char home[MAX_PATH], logs[MAX_PATH], agentDirectory[MAX_PATH];
static HostRuntime runtime;
static HostAgentState agent;
static HostDefinition definition;
static HostTextNode ignoredProgram;

static int Prepare(void) {
    char temporary[MAX_PATH];
    if (!GetTempPathA(sizeof temporary, temporary)) return 0;
    snprintf(home, sizeof home, "%sPLVCHOST.%lu", temporary, (unsigned long)GetCurrentProcessId());
    snprintf(logs, sizeof logs, "%s\\LOGS", home);
    char system[MAX_PATH], settings[MAX_PATH];
    snprintf(system, sizeof system, "%s\\SYSTEM", home);
    snprintf(settings, sizeof settings, "%s\\PLV.INI", system);
    if (!CreateDirectoryA(home, NULL) || !CreateDirectoryA(logs, NULL) ||
        !CreateDirectoryA(system, NULL))
        return 0;
    FILE *file = fopen(settings, "wb");
    if (file == NULL) return 0;
    fputs("[Pelvantine]\r\n", file);
    fclose(file);

    /* The library's companion modules lie beside this program. */
    GetModuleFileNameA(NULL, agentDirectory, sizeof agentDirectory);
    *strrchr(agentDirectory, '\\') = '\0';
    char program[MAX_PATH], copy[MAX_PATH];
    snprintf(program, sizeof program, "%s\\TESTWIN.EXE", agentDirectory);
    snprintf(copy, sizeof copy, "%s\\CHOSTAPP.EXE", home);
    if (!CopyFileA(program, copy, TRUE)) return 0;
    snprintf(copy, sizeof copy, "%s\\IGNORED.EXE", home);
    if (!CopyFileA(program, copy, TRUE)) return 0;

    agent.runtime = &runtime;
    agent.agentDirectory = agentDirectory;
    agent.updateInterval = 15;
    agent.updateCountdown = 900;
    agent.closeRetryCount = 2;
    agent.agentNumber = 17;
    /* Only applications a definition knows are metered. */
    agent.optionFlags = OPT_TRACE;
    strcpy(agent.logHeader, "C host usage log");
    runtime.networkKind = 1;
    strcpy(runtime.workstation, "WS-CHOST");
    strcpy(runtime.user, "CHOSTER");
    strcpy(runtime.context, "QA");
    strcpy(runtime.homePath, home);
    strcpy(runtime.settingsFile, settings);

    definition.kind = 2;
    strcpy(definition.fileName, "chostapp.exe");
    strcpy(definition.className, "PLVTest");
    runtime.definitions = &definition;
    ignoredProgram.text = "IGNORED.EXE";
    runtime.ignoredPrograms = &ignoredProgram;
    return 1;
}

static void RemoveHome(void) {
    const char *names[] = {"LOGS", "SYSTEM\\PLV.INI", "SYSTEM", "CHOSTAPP.EXE", "IGNORED.EXE"};
    char pattern[MAX_PATH], path[MAX_PATH];
    snprintf(pattern, sizeof pattern, "%s\\*.*", logs);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            snprintf(path, sizeof path, "%s\\%s", logs, found.cFileName);
            DeleteFileA(path);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    for (size_t i = 0; i < sizeof names / sizeof names[0]; ++i) {
        snprintf(path, sizeof path, "%s\\%s", home, names[i]);
        if (!DeleteFileA(path)) RemoveDirectoryA(path);
    }
    RemoveDirectoryA(home);
}

static void CheckTheRecord(const HostMeteredApp *record, const Program *program, const char *name) {
    CHECK(record != NULL, "IsAppAuthorized finds the program's record");
    if (record == NULL) return;
    CHECK((void *)record == runtime.meteredApps, "the record heads the metered-application list");
    CHECK(strcmp(record->name, name) == 0, "the record's name is %s", record->name);
    CHECK(record->window == program->window, "the record's window");
    CHECK(record->processId == program->process.dwProcessId, "the record's process id");
    CHECK(record->status == 'I', "the activity status is %c", record->status);
    CHECK((record->flags & (APP_METERED | APP_DOS)) == APP_METERED, "the flags are %#x",
          (unsigned)record->flags);
    CHECK(record->updateInterval == 15 * 60, "the update interval is %u",
          (unsigned)record->updateInterval);
}

static int Run(HWND window) {
    HWND *activeWindow = NULL;
    ((InitializeFn)Export("InitializePLVLIB"))(window, &agent, "C host", &activeWindow);
    CHECK(activeWindow != NULL && *activeWindow == NULL, "the active-window cell");
    CHECK(((ResultFn)Export("InitializeMetering"))() == 1, "InitializeMetering");
    CHECK(((ResultFn)Export("StartTimer"))() == 1, "StartTimer");

    char path[MAX_PATH], name[MAX_PATH];
    snprintf(path, sizeof path, "%s\\CHOSTAPP.EXE", home);
    GetShortPathNameA(path, name, sizeof name);
    name[63] = '\0'; /* the record's name and the event's field hold 63 */

    /* The candidate and the definition as the library reads them. */
    HostCandidate candidate;
    memset(&candidate, 0, sizeof candidate);
    strcpy(candidate.programPath, name);
    strcpy(candidate.title, "C host program");
    strcpy(candidate.className, "PLVTestWindow");
    CHECK(((IdentifyFn)Export("PLVIdentifyApp"))(&candidate) == &definition,
          "the definition identifies the program");
    strcpy(candidate.programPath, "C:\\ANY\\IGNORED.EXE");
    CHECK(((FilteredFn)Export("IsFilteredApp"))(&candidate) == 1, "the ignore list");

    Program metered, ignored;
    CHECK(Start(&metered, path), "CHOSTAPP.EXE shows its window");
    snprintf(path, sizeof path, "%s\\IGNORED.EXE", home);
    CHECK(Start(&ignored, path), "IGNORED.EXE shows its window");
    Sought initiated = {logs, agent.logHeader, name, "Initiated"};
    CHECK(PumpUntil(Logged, &initiated), "%s is logged \"Initiated\"", name);
    HostMeteredApp *record =
        ((AuthorizedFn)Export("IsAppAuthorized"))(metered.process.dwProcessId, 0);
    CheckTheRecord(record, &metered, name);
    char startDate[16] = "", startTime[16] = "";
    if (record != NULL) {
        snprintf(startDate, sizeof startDate, "%04d/%02d/%02d", record->startDate.year,
                 record->startDate.month, record->startDate.day);
        snprintf(startTime, sizeof startTime, "%02d:%02d:%02d", record->startTime.hour,
                 record->startTime.minute, record->startTime.second);
    }
    /* A cycle called directly, by the decorated name. */
    CHECK(TimerKeepsTheStack((TimerFn)Export("_Timer1_Timer@16")),
          "the timer entry pops its 16 bytes");

    /* An event record of the host's, through the pending list to the log. */
    HostEvent event;
    memset(&event, 0xCC, sizeof event);
    ((BuildEventFn)Export("BuildEvent"))("C host", "Probe", "P.1", &event);
    char line[LINE_LIMIT + 1];
    const uint32_t length = ((EventStringFn)Export("BuildEventString"))(&event, line);
    CHECK(length == strlen(line) &&
              strstr(line, ";WS-CHOST;CHOSTER;QA;;C host;Probe;P.1;;;;;") != NULL,
          "the probe's line is %s", line);
    /* Bit 1 (the shared log) set, bit 0 (SMS output, off) clear, the others left. */
    CHECK(event.flags == ((0xCCCCCCCCu | EVENT_WANTS_SHARED_LOG) & ~1u),
          "the probe's flags are %#x", (unsigned)event.flags);
    CHECK(((LogEventFn)Export("LogEvent"))(&event) == 1, "LogEvent takes the probe");

    PostMessageA(metered.window, WM_CLOSE, 0, 0);
    PostMessageA(ignored.window, WM_CLOSE, 0, 0);
    CHECK(PumpUntil(HasEnded, &metered) && PumpUntil(HasEnded, &ignored), "the programs end");
    Sought terminated = {logs, agent.logHeader, name, "Terminated"};
    CHECK(PumpUntil(Logged, &terminated), "%s is logged \"Terminated\"", name);
    CloseHandle(metered.process.hProcess);
    CloseHandle(ignored.process.hProcess);

    ((ResultFn)Export("StopTimer"))();
    CHECK(((DeferFn)Export("DeferShutdown"))(0) == 0, "no cycle runs at shutdown");
    CHECK(((ResultFn)Export("DLLShutdown"))() == 1, "DLLShutdown");
    ((ActionFn)Export("ShutdownVXD"))();
    ((ActionFn)Export("UnregisterService"))();
    ListFn removeList = (ListFn)Export("RemoveLinkedList");
    CHECK(removeList(&runtime.pendingEvents) == 1 && removeList(&runtime.pendingDefinitions) == 1 &&
              removeList(&runtime.meteredApps) == 1,
          "the library's lists are released");
    CHECK(((CountFn)Export("GetMemoryCount"))() == 0, "GetMemoryCount");

    /* The log file, decoded. */
    static Lines lines;
    DecodeLogs(logs, agent.logHeader, &lines);
    int start = 0, end = 0, probe = 0;
    CHECK(Count(&lines, name, "Initiated", &start) == 1, "one \"Initiated\"");
    CHECK(Count(&lines, name, "Terminated", &end) == 1, "one \"Terminated\"");
    CHECK(Count(&lines, "C host", "Probe", &probe) == 1, "the probe reached the log");
    char field[80], dayFile[MAX_PATH];
    /* The day's file is named by the event's date: YYYY/MM/DD in YYYYMMDD.LOG. */
    Field(lines.lines[start], 1, field, sizeof field);
    snprintf(dayFile, sizeof dayFile, "%s\\%.4s%.2s%.2s.LOG", logs, field, field + 5, field + 8);
    CHECK(strlen(field) == 10 && GetFileAttributesA(dayFile) != INVALID_FILE_ATTRIBUTES,
          "the day's file %s", dayFile);
    CHECK(strcmp(Field(lines.lines[start], 3, field, sizeof field), "WS-CHOST") == 0, "%s",
          lines.lines[start]);
    CHECK(strcmp(Field(lines.lines[start], 4, field, sizeof field), "CHOSTER") == 0, "%s",
          lines.lines[start]);
    CHECK(strcmp(Field(lines.lines[end], 10, field, sizeof field), startDate) == 0 &&
              strcmp(Field(lines.lines[end], 11, field, sizeof field), startTime) == 0,
          "\"Terminated\" carries the record's start %s %s: %s", startDate, startTime,
          lines.lines[end]);
    for (int i = 0; i < lines.count; ++i) {
        printf("%s\n", lines.lines[i]);
        CHECK(strstr(lines.lines[i], "IGNORED") == NULL, "the ignored program was logged");
    }
    return 1;
}

int main(void) {
    library = LoadLibraryA("PLVLIB32.DLL");
    CHECK(library != NULL, "LoadLibraryA: error %lu", GetLastError());
    if (library == NULL) return failures;
    for (int i = 0; i < 58; ++i) {
        exports[i] = (void *)GetProcAddress(library, kExportNames[i]);
        CHECK(exports[i] != NULL, "GetProcAddress %s", kExportNames[i]);
    }
    /* The timer entry is exported under its decorated name only. */
    CHECK((void *)GetProcAddress(library, "Timer1_Timer") == NULL, "no bare Timer1_Timer");
    if (failures != 0) return failures;

    HWND window = CreateHostWindow();
    CHECK(window != NULL, "the host window: error %lu", GetLastError());
    if (window != NULL && Prepare()) {
        Run(window);
    } else {
        CHECK(0, "the home directory %s cannot be made: error %lu", home, GetLastError());
    }
    if (window != NULL) DestroyWindow(window);
    RemoveHome();
    FreeLibrary(library);
    printf("%d checks failed\n", failures);
    return failures;
}
