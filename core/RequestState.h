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

// The moves a request makes, all of them; ExpansionController::moveTo refuses any other.
//   Idle               -> Planning (an archive arrives), Ending (the last window closes)
//   Planning           -> WaitingForPassword, Running, Idle (cancelled or nothing to do, a window
//                         left), Completing (a failure to report), Ending (no window left)
//   WaitingForPassword -> Planning (OK, or a newcomer takes its place), Idle (window closed),
//                         Ending (Cancel)
//   Running            -> Completing (the archiver exited, or could not start)
//   Completing         -> Idle (a failure reported, a window left), Ending
//   Ending             -> nothing
constexpr bool isAllowedMove(RequestState from, RequestState to)
{
    using S = RequestState;
    switch (from) {
    case S::Idle:
        return to == S::Planning || to == S::Ending;
    case S::Planning:
        return to == S::WaitingForPassword || to == S::Running || to == S::Idle || to == S::Completing
            || to == S::Ending;
    case S::WaitingForPassword:
        return to == S::Planning || to == S::Idle || to == S::Ending;
    case S::Running:
        return to == S::Completing;
    case S::Completing:
        return to == S::Idle || to == S::Ending;
    case S::Ending:
        return false;
    }
    return false;
}

// An archive arriving now is taken (else it meets the busy alert and changes nothing).
constexpr bool acceptsArchive(RequestState state)
{
    return state == RequestState::Idle || state == RequestState::WaitingForPassword;
}

} // namespace quendle
