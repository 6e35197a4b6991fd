// What the host needs of the system beyond the library's seam: its window
// and the thread's message loop, stop requests from outside, the platform's
// drive mappings and directories, and the facts that name the workstation
// and its user. Everything else the host does goes through the seam. Linux
// implements this in host_system_posix.cc over the platform's host side;
// Windows in host_system_win32.cc over the real API, where drives, shares and
// directories are the system's own and nothing is mapped.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32_api.h"

namespace plvagent::host {

// ---- The window and the message loop ----------------------------------
// Each line the trace list box (identifier 101) receives.
using TraceSink = std::function<void(const std::string &line)>;
HWND CreateAgentWindow(const std::string &title, TraceSink sink);
void DestroyAgentWindow(HWND window);

// What is posted or sent to the window.
using MessageHandler = std::function<LRESULT(UINT message, WPARAM wParam, LPARAM lParam)>;
void SetMessageHandler(HWND window, MessageHandler handler);

// From now on an interrupt or termination request (SIGINT, SIGTERM) no
// longer ends the process: while the message loop runs it becomes WM_CLOSE
// to the window, handled on the loop's own thread. Call it before any thread
// is made.
void CatchStopRequests();
// From now on a reload request (SIGHUP) no longer ends the process: it is
// noted, and TakeReloadRequest answers it once.
void CatchReloadRequests();
bool TakeReloadRequest();
// Dispatches posted messages and timers until QuitMessageLoop.
void RunMessageLoop(HWND window);
void QuitMessageLoop();

// ---- Directories and drives ---------------------------------------------
// Whether the platform maps drives, shares and its directories as the
// calls below ask; where it does not, they change nothing.
bool MapsPaths();
// The platform's own data (registry store; drive C:) and runtime (named
// semaphores) directories, as the system names them.
void SetDataDirectory(const std::string &directory);
void SetRuntimeDirectory(const std::string &directory);
// A drive letter or a \\SERVER\SHARE root stands for a directory.
void MapDrive(char letter, const std::string &directory);
void MapShare(const std::string &uncRoot, const std::string &directory);
// Every drive and share mapped so far stands for nothing again.
void ForgetMappings();
// The data directory in use (the registry store's; the spool's), and the
// runtime directory (the session lock's), as the system names them.
std::string DataDirectory();
std::string RuntimeDirectory();

// A path as the library takes it: an absolute path of the system
// (/srv/plv) in the agent's form (Z:\srv\plv); any other text unchanged.
std::string AgentPathOf(const std::string &path);
// The directory of the system a path of the agent's form stands for;
// nothing when its drive or share stands for none.
std::optional<std::string> SystemPathOf(const std::string &agentPath);
// A path of the system made absolute against the current directory.
std::string AbsolutePath(const std::string &path);
// Creates a directory of the system and its parents; false, with the
// reason after the directory's name, when that fails.
bool MakeDirectories(const std::string &directory, std::string *why);
// The directory that holds the running program, as the system names it.
std::string ProgramDirectory();
// The file that stands for a module name: libplvntprl.so for PLVNTPRL.DLL.
std::string ModuleFileOf(const std::string &moduleName);
// Replaces a file of the system with the content as one step, and makes it
// durable before it answers: after a crash the file is whole, old or new.
bool ReplaceFile(const std::string &path, const std::string &content, std::string *why);

// ---- Configuration ------------------------------------------------------
// The configuration files looked for when none is named, in order: the
// user's own, then the machine's.
std::vector<std::string> ConfigurationCandidates();
// Where the built-in configuration keeps its home path and its data.
std::string BuiltInDirectory();

// ---- Whom the agent trusts ------------------------------------------------
// The directories the platform keeps its own files in, made where missing
// and checked as the platform checks them at each use: the runtime
// directory (the timer semaphore) and the data directory (the registry
// store). Empty when the platform may keep its files there, else why not,
// naming the directory. Where the system keeps these itself, empty.
std::string PrepareRuntimeDirectory();
std::string PrepareDataDirectory();
// Who besides its owner may change the file or directory of a path in the
// agent's form, in words ("is writable by everyone, mode 0777"); empty when
// no one else may, when it does not exist, or where the system's
// permissions are not examined (Windows).
std::string OthersWhoMayChange(const std::string &agentPath);

// ---- Who and where ------------------------------------------------------
std::string HostName();
std::string LoginName();
// The host's banner on the trace display.
std::string Banner();
// The display the agent's user works on ("" for none), and what keeps the
// agent from seeing its windows; nothing when they can be seen.
std::string DisplayName();
std::optional<std::string> DisplayProblem();
// Whether the standard error is the system journal's stream.
bool StandardErrorIsJournal();

}  // namespace plvagent::host
