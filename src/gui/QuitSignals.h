#pragma once

#include <QObject>
#include <QSocketNotifier>

#include <functional>
#include <memory>

namespace tramino
{

// Turns SIGTERM, SIGINT and SIGHUP (the session ending, Ctrl+C, a closed terminal) into a
// call on the user-interface thread, so that the window ends through its close handling and
// the picture store does not outlive the program. The handler only writes a byte to a socket
// pair; everything else happens in the event loop. One instance at a time.
class CQuitSignals : public QObject
{
    Q_OBJECT

public:
    explicit CQuitSignals(std::function<void()> fnQuit);
    ~CQuitSignals() override;

    CQuitSignals(const CQuitSignals&) = delete;
    CQuitSignals& operator=(const CQuitSignals&) = delete;

    // False when the socket pair or the handlers could not be set up (the program then ends on
    // these signals as it would without us).
    bool IsActive() const { return m_pNotifier != nullptr; }

private:
    void OnSignalByte();

    std::function<void()> m_fnQuit;
    int m_arrFds[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> m_pNotifier;
};

} // namespace tramino
