#include "batch/button_states.h"

#include "batch/job_window.h"

#include <array>
#include <cstddef>

namespace {

// Indexed by ButtonState, then by Command (Add, Remove, Clear, Convert, Stop, Quit).
constexpr bool kEnabled[3][6] = {
    {true, false, false, false, false, true},  // Empty
    {true, true, true, true, false, true},     // Ready
    {false, false, false, false, true, false}, // Converting
};

struct Move {
    ButtonState to;
    std::size_t count;
    std::array<Command, 6> order;
};

using C = Command;
// Indexed by StateChange.
constexpr Move kMoves[] = {
    {ButtonState::Empty, 4, {C::Convert, C::Clear, C::Remove, C::Stop}},
    {ButtonState::Ready, 4, {C::Convert, C::Clear, C::Remove, C::Stop}},
    {ButtonState::Empty, 5, {C::Convert, C::Clear, C::Remove, C::Stop, C::Add}},
    {ButtonState::Empty, 4, {C::Convert, C::Clear, C::Remove, C::Stop}},
    {ButtonState::Converting, 6, {C::Convert, C::Clear, C::Remove, C::Stop, C::Add, C::Quit}},
    {ButtonState::Ready, 6, {C::Convert, C::Clear, C::Remove, C::Stop, C::Add, C::Quit}},
};

const Move& MoveOf(StateChange change) {
    return kMoves[static_cast<std::size_t>(change)];
}

} // namespace

bool IsEnabledIn(ButtonState state, Command command) {
    return kEnabled[static_cast<std::size_t>(state)][static_cast<std::size_t>(command)];
}

std::vector<CommandWrite> StateChangeWrites(StateChange change) {
    const Move& move = MoveOf(change);
    std::vector<CommandWrite> writes;
    writes.reserve(move.count);
    for (std::size_t i = 0; i < move.count; ++i)
        writes.push_back({move.order[i], IsEnabledIn(move.to, move.order[i])});
    return writes;
}

void ApplyStateChange(IWorkerWindow& window, StateChange change) {
    for (const CommandWrite& write : StateChangeWrites(change))
        window.EnableCommand(write.command, write.enabled);
}
