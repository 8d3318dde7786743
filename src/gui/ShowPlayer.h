#pragma once

#include "picture/Picture.h"
#include "show/EffectCursor.h"
#include "workers/WorkerTiming.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <optional>
#include <vector>

namespace tramino
{

class CPanelCanvas;

// One picture of a show file and the transition it was recorded with.
struct CShowFrame
{
    CPicture m_picture;
    EEffect m_effect = EEffect::Normal;
};

// Plays the pictures of a show file in the preview on the user-interface thread, at the Preview's
// pace: each drawn in its own transition's order, then held. The last one stays on the canvas.
// It says which picture it starts, and when it ends, at the last hold or stopped.
class CShowPlayer : public QObject
{
    Q_OBJECT

public:
    CShowPlayer();

    // The frames must be of the canvas's size; the canvas must outlive the playing.
    void Play(CPanelCanvas& canvas, std::vector<CShowFrame> vecFrames, const CWorkerTiming& timing);
    void Stop();
    bool IsPlaying() const { return m_timer.isActive(); }

signals:
    void PictureStarted(int nPicture, int nPictures); // nPicture from 1
    void Ended();

private:
    void StartFrame(size_t nFrame);
    void OnTick();

    CPanelCanvas* m_pCanvas = nullptr;
    QTimer m_timer;
    QElapsedTimer m_clock; // since the current picture started, or its hold
    std::vector<CShowFrame> m_vecFrames;
    CWorkerTiming m_timing;
    size_t m_nFrame = 0;
    std::optional<CEffectCursor> m_cursor; // none while the picture is held
    int64_t m_nDrawn = 0;
};

} // namespace tramino
