// Where the one archive request stands. Every entry reads it, so a second archive never
// starts inside the first one's alerts, and a run is never started twice.
#pragma once

namespace quendle {

enum class RequestState {
    Idle,               // nothing under way: an archive may come in
    Planning,           // listing, planning, the replace prompt, a verifying listing
    WaitingForPassword, // the password window waits; a newcomer takes the request's place
    Running,            // the archiver runs
    Completing,         // the archiver has exited: reveal, Trash, the end of the process
    Ending,             // the application is quitting
};

// An archive arriving now is taken (else it meets the busy alert and changes nothing).
constexpr bool acceptsArchive(RequestState state)
{
    return state == RequestState::Idle || state == RequestState::WaitingForPassword;
}

} // namespace quendle
