#pragma once

#include <functional>

// Turns SIGINT (Ctrl+C in the terminal that started the program) and SIGTERM
// (the session ending) into a quit request on the message thread, so that they
// take the close button's path and its unsaved-changes question instead of
// ending the program on the spot. One at a time; the previous handlers come
// back when it goes.
class QuitSignals
{
public:
    explicit QuitSignals(std::function<void()> onQuitRequest);
    ~QuitSignals();
    QuitSignals(QuitSignals const&) = delete;
    QuitSignals& operator=(QuitSignals const&) = delete;
};
