#pragma once

#include <vector>

class IWorkerWindow;

// The six commands whose enabled state follows the batch.
enum class Command { Add, Remove, Clear, Convert, Stop, Quit };

// The window's three button states: Empty (no rows, nothing running), Ready (rows as a rule,
// nothing running) and Converting (a run in progress).
enum class ButtonState { Empty, Ready, Converting };

// The moves between the states. Each writes its own commands, in its own order, and leaves the
// other commands as they are.
enum class StateChange {
    Initialised,    // the window's start: Empty (Add and Quit start enabled)
    FilesAdded,     // an Add that went through its whole selection: Ready
    LastRowRemoved, // a Remove that emptied the list: Empty, with Add enabled explicitly
    ListCleared,    // Clear: Empty
    RunStarted,     // Convert: Converting
    RunEnded,       // the worker's last step, whether the run finished or was stopped: Ready
};

struct CommandWrite {
    Command command;
    bool enabled;
    friend bool operator==(const CommandWrite&, const CommandWrite&) = default;
};

// Whether `command` is enabled in `state`.
bool IsEnabledIn(ButtonState state, Command command);

// The writes that `change` makes, in order.
std::vector<CommandWrite> StateChangeWrites(StateChange change);

// Makes the writes of `change` through the window.
void ApplyStateChange(IWorkerWindow& window, StateChange change);
