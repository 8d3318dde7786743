#pragma once

#include <QObject>

#include <functional>
#include <memory>

namespace tramino
{

// Turns the system's requests to end the program into a call on the user-interface thread, so
// that the window ends through its close handling and the picture store does not outlive the
// program: on Linux SIGTERM, SIGINT and SIGHUP (the session ending, Ctrl+C, a closed terminal),
// on Windows the session ending and the console's Ctrl+C, Ctrl+Break and closing. The part that
// listens is the system's own (QuitSignalsPosix.cpp, QuitSignalsWindows.cpp). One instance at a
// time.
class CQuitSignals : public QObject
{
public:
    explicit CQuitSignals(std::function<void()> fnQuit);
    ~CQuitSignals() override;

    CQuitSignals(const CQuitSignals&) = delete;
    CQuitSignals& operator=(const CQuitSignals&) = delete;

    // False when the system's part could not be set up (the program then ends on these requests
    // as it would without us).
    bool IsActive() const { return m_pListener != nullptr; }

private:
    class CListener;

    void OnQuitRequest() { m_fnQuit(); }

    std::function<void()> m_fnQuit;
    std::unique_ptr<CListener> m_pListener;
};

} // namespace tramino
