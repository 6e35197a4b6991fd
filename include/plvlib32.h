/*
 * plvlib32.h - the host contract of the metering agent's workstation library
 * (PLVLIB32.DLL on Windows, libplvlib32.so on Linux).
 *
 * Plain C, usable from C and C++ hosts. Every record that crosses the
 * interface is byte-packed in its fixed field order. On 32-bit targets the
 * sizes and offsets are the historical ones exactly (checked below); on 64-bit
 * hosts pointers, handles and list link words are pointer-sized.
 *
 * Results follow the library's conventions: small integers (1 for success,
 * 0 for failure or nothing done) or addresses (null for none). Nothing throws.
 */
#ifndef PLVLIB32_H
#define PLVLIB32_H

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32)
#define PLVAPI __stdcall
#else
#define PLVAPI
#endif

/* Only the library's own build marks its exports; every other symbol of the
 * shared object stays hidden. On Windows the module-definition file decides. */
#if defined(PLVLIB32_BUILDING) && !defined(_WIN32)
#define PLV_EXPORT __attribute__((visibility("default")))
#else
#define PLV_EXPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Handles are opaque and pointer-sized, as on Win32 (HWND, HANDLE, HMODULE). */
typedef void *PLVHWND;
typedef void *PLVHANDLE;
typedef void *PLVHMODULE;

/* Option-flags word of the agent-state block. */
#define PLV_OPT_TRACE 0x00000001u            /* trace display shows lines */
#define PLV_OPT_CLOCK_FILE 0x00000008u       /* network time from the clock file */
#define PLV_OPT_UNDEFINED_APPS 0x00000080u   /* meter applications without a definition */
#define PLV_OPT_RECORD_DEFINITIONS 0x00000100u /* record unknown applications */
#define PLV_OPT_SMS_OUTPUT 0x00008000u       /* SMS log and MIF generation */
#define PLV_OPT_16BIT_METERING 0x00010000u   /* report 16-bit driver registration failure */
#define PLV_OPT_SHARED_TIMER 0x00100000u     /* one timer cycle at a time per machine */

/* Messages the library sends or posts to the host window. */
#define PLV_MSG_NETWORK_FAILURE 0x1400u
#define PLV_TRACE_LISTBOX_ID 101

#pragma pack(push, 1)

/* Workstation date and time. */
typedef struct WSDate {
    uint8_t day;       /* 1-31 */
    uint8_t month;     /* 1-12 */
    uint16_t year;     /* full year */
    uint8_t dayOfWeek; /* 0 = Sunday */
} WSDate;

typedef struct WSTime {
    uint8_t hour;
    uint8_t minute;
    uint8_t second;
    uint8_t hundredths;
} WSTime;

/* Date without day of week, as the SMS start date is kept. */
typedef struct PLVDate {
    uint8_t day;
    uint8_t month;
    uint16_t year;
} PLVDate;

/* Agent runtime record: identity, paths and list heads. Owned by the host. */
typedef struct PLVAgentRuntime {
    uint8_t networkKind;
    char workstationName[60];
    char userName[74];
    char userContext[33];
    char homePath[285];
    char settingsFilePath[285];
    char timeServerName[96];
    /* The host changes its lists (definitions and the four ignore lists) by
       hanging a new list, never by editing one in place: the library tells a
       new list from the one before by its head's address, so the host keeps
       a list it gives up allocated: freed, its address could come back as
       the next list's, which would then pass for the old one. */
    void *definitions;        /* list of PLVAppDefinition (host-owned) */
    void *pendingEvents;      /* list of PLVUsageEventNode (library-owned nodes) */
    void *pendingDefinitions; /* list of PLVPendingDefinitionNode */
    void *meteredApps;        /* list of PLVMeteredApp */
    PLVHMODULE networkModule;
    uint32_t netWareConnection;
    void *ignoredPrograms; /* lists of PLVTextListNode (host-owned) */
    void *ignoredClasses;
    void *ignoredDosPrograms;
    void *ignored16BitPrograms;
} PLVAgentRuntime;

/* Agent-state block: options, intervals and settings. Owned by the host. */
typedef struct PLVAgentState {
    PLVAgentRuntime *runtime;
    const char *agentDirectory; /* without trailing backslash */
    uint32_t updateInterval;    /* minutes */
    char logHeaderText[68];
    uint32_t agentNumber;
    uint32_t updateCountdown;
    PLVHANDLE clockFile;
    uint8_t smsFrequency;
    PLVDate smsStartDate;
    uint32_t refreshAction;
    uint32_t closeRetryCount;
    uint32_t optionFlags;
} PLVAgentState;

/* Node of the four ignore lists. */
typedef struct PLVTextListNode {
    void *next;
    const char *text;
} PLVTextListNode;

/* Usage event record: 14 texts and the event flags. */
#define PLV_EVENT_WANTS_SMS_LOG 0x1u
#define PLV_EVENT_WANTS_SHARED_LOG 0x2u

typedef struct PLVUsageEvent {
    char date[11];
    char time[9];
    char workstation[60];
    char user[65];
    char userContext[33];
    char spare1[65];
    char application[64];
    char eventText[51];
    char identifier[15];
    char startDate[11];
    char startTime[9];
    char count1[9];
    char count2[6];
    char spare2[15];
    uint32_t flags;
} PLVUsageEvent;

typedef struct PLVUsageEventNode {
    void *next;
    PLVUsageEvent event;
} PLVUsageEventNode;

/* Metered-application record. */
#define PLV_APP_METERED 0x4u
#define PLV_APP_DOS 0x8u

typedef struct PLVMeteredApp {
    void *next;
    PLVHWND window;
    uint32_t reserved1[2];
    char applicationName[64];
    uint32_t processId;
    uint32_t threadId;
    char activityStatus;
    uint32_t reserved2[4];
    uint32_t counter1;
    int32_t counter2;
    WSDate startDate;
    WSTime startTime;
    uint32_t updateInterval; /* seconds */
    uint32_t flags;
} PLVMeteredApp;

/* Candidate record: a process or task being examined. */
typedef struct PLVCandidate {
    char programPath[285];
    char title[64];
    char className[129];
    PLVHWND window;
    uint32_t processId;
    uint32_t threadId;
    uint8_t visibleOnly;
    uint8_t virtualDosMachine;
} PLVCandidate;

/* Hook record carried by a window-creation notification. */
#define PLV_HOOK_WINDOW_CREATED 1u
#define PLV_HOOK_ABORT_SCAN 4u

typedef struct PLVHookRecord {
    uint32_t code;
    uint32_t hostData;
    PLVHWND window;
    char title[64];
    char className[129];
    char programPath[285];
    uint32_t is16Bit;
} PLVHookRecord;

/* Application definition (host-owned list node). */
typedef struct PLVAppDefinition {
    void *next;
    uint8_t hostData1[4];
    uint8_t kind; /* 2: window and version criteria apply */
    uint8_t hostData2[102];
    char location; /* 'N' remote, 'L' local */
    char directory[285];
    char fileName[13];
    char sizeTest; /* 'E', 'L', 'G', 'B' */
    uint32_t sizeBound1;
    uint32_t sizeBound2;
    char dateTest;
    uint8_t hostData3[11];
    uint32_t dateBound1;
    uint8_t hostData4[11];
    uint32_t dateBound2;
    char titleText[64];
    uint8_t titlePosition;
    char classText[36];
    char productName[36];
    char companyName[36];
    char productVersion[18];
    uint32_t languageId;
} PLVAppDefinition;

/* Description of an application no definition recognised. */
typedef struct PLVNewDefinition {
    char directory[285];
    char fileName[13];
    char fileDate[9];
    uint32_t fileSize;
    char windowTitle[64];
    char windowClass[36];
    char productName[36];
    char companyName[36];
    char productVersion[9];
    uint32_t languageId;
} PLVNewDefinition;

#define PLV_DEFINITION_WRITTEN 0x1u

typedef struct PLVPendingDefinition {
    char recordingDate[9];
    char recordingTime[9];
    char workstationName[60];
    char userName[65];
    char userContext[33];
    PLVNewDefinition definition;
    uint32_t flags;
} PLVPendingDefinition;

typedef struct PLVPendingDefinitionNode {
    void *next;
    PLVPendingDefinition pending;
} PLVPendingDefinitionNode;

#pragma pack(pop)

/* Descriptor handed to NotifyHook: the layout of a COPYDATASTRUCT (natural
 * alignment, data pointer third). */
typedef struct PLVCopyData {
    uintptr_t data;
    uint32_t byteCount;
    const void *record;
} PLVCopyData;

#if defined(__cplusplus)
#define PLV_STATIC_ASSERT(cond, msg) static_assert(cond, msg)
#else
#define PLV_STATIC_ASSERT(cond, msg) _Static_assert(cond, msg)
#endif

PLV_STATIC_ASSERT(sizeof(WSDate) == 5, "WSDate is 5 bytes");
PLV_STATIC_ASSERT(sizeof(WSTime) == 4, "WSTime is 4 bytes");
PLV_STATIC_ASSERT(sizeof(PLVUsageEvent) == 427, "usage event record is 427 bytes");
PLV_STATIC_ASSERT(sizeof(PLVNewDefinition) == 496, "new-definition record is 496 bytes");
PLV_STATIC_ASSERT(sizeof(PLVPendingDefinition) == 676, "pending definition is 676 bytes");

#if UINTPTR_MAX == 0xFFFFFFFFu
/* 32-bit targets: the historical layouts, byte for byte. */
PLV_STATIC_ASSERT(sizeof(PLVUsageEventNode) == 431, "usage event node is 431 bytes");
PLV_STATIC_ASSERT(sizeof(PLVMeteredApp) == 130, "metered-application record is 130 bytes");
PLV_STATIC_ASSERT(offsetof(PLVMeteredApp, applicationName) == 16, "name offset");
PLV_STATIC_ASSERT(offsetof(PLVMeteredApp, activityStatus) == 88, "status offset");
PLV_STATIC_ASSERT(offsetof(PLVMeteredApp, startDate) == 113, "start date offset");
PLV_STATIC_ASSERT(offsetof(PLVMeteredApp, flags) == 126, "flags offset");
PLV_STATIC_ASSERT(sizeof(PLVCandidate) == 492, "candidate record is 492 bytes");
PLV_STATIC_ASSERT(offsetof(PLVCandidate, window) == 478, "candidate window offset");
PLV_STATIC_ASSERT(sizeof(PLVHookRecord) == 494, "hook record is 494 bytes");
PLV_STATIC_ASSERT(offsetof(PLVHookRecord, title) == 12, "hook title offset");
PLV_STATIC_ASSERT(sizeof(PLVAppDefinition) == 645, "definition fields are 645 bytes");
PLV_STATIC_ASSERT(offsetof(PLVAppDefinition, location) == 111, "location offset");
PLV_STATIC_ASSERT(offsetof(PLVAppDefinition, dateBound1) == 431, "date bound 1 offset");
PLV_STATIC_ASSERT(offsetof(PLVAppDefinition, titleText) == 450, "title offset");
PLV_STATIC_ASSERT(offsetof(PLVAppDefinition, languageId) == 641, "language offset");
PLV_STATIC_ASSERT(sizeof(PLVPendingDefinitionNode) == 680, "pending definition node is 680 bytes");
PLV_STATIC_ASSERT(sizeof(PLVCopyData) == 12, "COPYDATASTRUCT is 12 bytes");
PLV_STATIC_ASSERT(offsetof(PLVCopyData, record) == 8, "data pointer is the third field");
PLV_STATIC_ASSERT(sizeof(PLVAgentRuntime) == 874, "runtime record is 874 bytes");
PLV_STATIC_ASSERT(offsetof(PLVAgentRuntime, definitions) == 834, "list heads offset");
PLV_STATIC_ASSERT(sizeof(PLVAgentState) == 109, "agent-state block is 109 bytes");
PLV_STATIC_ASSERT(offsetof(PLVAgentState, optionFlags) == 105, "option flags offset");
#endif

/* ---- Library frame -------------------------------------------------- */
PLV_EXPORT void PLVAPI InitializePLVLIB(PLVHWND hostWindow, PLVAgentState *agent,
                                        const char *banner, PLVHWND **activeWindowCell);
PLV_EXPORT int32_t PLVAPI InitializeMetering(void);
PLV_EXPORT int32_t PLVAPI DLLShutdown(void);
PLV_EXPORT uint8_t PLVAPI DeferShutdown(uint8_t closeWhenDone);
PLV_EXPORT void PLVAPI ShutdownVXD(void);
PLV_EXPORT void PLVAPI UnregisterService(void);
PLV_EXPORT int32_t PLVAPI StartTimer(void);
PLV_EXPORT int32_t PLVAPI StopTimer(void);
PLV_EXPORT void PLVAPI Timer1_Timer(PLVHWND window, uint32_t message, uintptr_t timerId,
                                    uint32_t systemTime);
PLV_EXPORT PLVHWND PLVAPI GetTopParent(PLVHWND window);

/* ---- Monitoring ----------------------------------------------------- */
PLV_EXPORT int32_t PLVAPI IsFilteredApp(const PLVCandidate *candidate);
PLV_EXPORT PLVMeteredApp *PLVAPI IsAppAuthorized(uint32_t processId, uint32_t threadId);
PLV_EXPORT int32_t PLVAPI CheckDOSApp(PLVHWND *dosBoxWindow, char *oemPath);
PLV_EXPORT void PLVAPI RemoveDOSApp(PLVHWND dosBoxWindow);
PLV_EXPORT int32_t PLVAPI NotifyHook(uintptr_t unused, const PLVCopyData *descriptor);
PLV_EXPORT PLVAppDefinition *PLVAPI PLVIdentifyApp(const PLVCandidate *candidate);

/* ---- Usage recording ------------------------------------------------ */
PLV_EXPORT void PLVAPI BuildEvent(const char *application, const char *eventText,
                                  const char *identifier, PLVUsageEvent *event);
PLV_EXPORT uint32_t PLVAPI BuildEventString(const PLVUsageEvent *event, char *line);
PLV_EXPORT void PLVAPI RebuildEvent(const char *line, PLVUsageEvent *event);
PLV_EXPORT int32_t PLVAPI LogEvent(const PLVUsageEvent *event);
PLV_EXPORT int32_t PLVAPI PLVAddEvent(const char *eventText, const char *application,
                                      const char *identifier);
PLV_EXPORT int32_t PLVAPI PLVUpdateLogs(void);
PLV_EXPORT uint16_t PLVAPI GetNewKey(void);
PLV_EXPORT void PLVAPI EncryptString(char *buffer, uint16_t length, uint16_t key);
PLV_EXPORT void PLVAPI DecryptString(char *buffer, uint16_t length, uint16_t key);

/* ---- Time ----------------------------------------------------------- */
PLV_EXPORT void PLVAPI WinGetWSDate(WSDate *date);
PLV_EXPORT void PLVAPI WinGetWSTime(WSTime *time);
PLV_EXPORT int32_t PLVAPI GetTimeDifference(const WSDate *date1, const WSTime *time1,
                                            const WSDate *date2, const WSTime *time2);
PLV_EXPORT int32_t PLVAPI DateToJulianDay(uint8_t month, uint8_t day, uint16_t year);
PLV_EXPORT void PLVAPI GetNOSDateTime(WSDate *date, WSTime *time);
PLV_EXPORT uint8_t PLVAPI InitializeNetworkAPI(uint8_t networkKind);
PLV_EXPORT void PLVAPI TerminateNetworkAPI(void);
PLV_EXPORT PLVHANDLE PLVAPI OpenClockFile(const char *path);
PLV_EXPORT uint16_t PLVAPI PLVLock(PLVHANDLE file, uint16_t operation, uint32_t offset,
                                   uint32_t length);

/* ---- Settings ------------------------------------------------------- */
PLV_EXPORT int32_t PLVAPI CheckForPLVINIUpdate(void);
PLV_EXPORT int32_t PLVAPI GetNewPLVINISettings(void);
PLV_EXPORT void PLVAPI GetSMSSettings(void);
PLV_EXPORT int32_t PLVAPI GenerateMIFIfNeeded(void);

/* ---- Memory blocks and lists ---------------------------------------- */
PLV_EXPORT void *PLVAPI PLVMemAlloc(uint32_t size);
PLV_EXPORT void *PLVAPI PLVMemFree(void *block);
PLV_EXPORT void *PLVAPI PLVAppendToList(void **head, const void *record, uint32_t size);
PLV_EXPORT void *PLVAPI PLVPrependToList(void **head, const void *record, uint32_t size);
PLV_EXPORT int32_t PLVAPI PLVRemoveFromList(void **head, void *node);
PLV_EXPORT void *PLVAPI PLVExtractFromList(void **head, void *node);
PLV_EXPORT void *PLVAPI FindTailEntry(void *first);
PLV_EXPORT void *PLVAPI FindPrevToMem(void *first, void *sought);
PLV_EXPORT int32_t PLVAPI RemoveLinkedList(void **head);
PLV_EXPORT uint32_t PLVAPI GetMemoryCount(void);

/* ---- Strings -------------------------------------------------------- */
PLV_EXPORT void PLVAPI LeftStr(char *destination, const char *source, uint32_t count);
PLV_EXPORT void PLVAPI RightStr(char *destination, const char *source, uint32_t count);
PLV_EXPORT void PLVAPI MidStr(char *destination, const char *source, uint32_t start,
                              uint32_t count);
PLV_EXPORT void PLVAPI strTrim(char *text);
PLV_EXPORT char *PLVAPI ParseString(const char *source, const char *delimiter,
                                    char *destination, uint32_t count);
PLV_EXPORT char *PLVAPI stristr(const char *text, const char *sought);

/* ---- Trace display and file errors ---------------------------------- */
PLV_EXPORT void PLVAPI Display(char *text);
PLV_EXPORT void PLVAPI DisplayExtraFn(void);
PLV_EXPORT int32_t PLVAPI GetFileError(void);
PLV_EXPORT int32_t PLVAPI PLVGetDriveType(const char *path);

#ifdef __cplusplus
}
#endif

#endif /* PLVLIB32_H */
