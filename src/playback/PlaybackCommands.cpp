#include "playback/PlaybackCommands.h"

#include "base/ErrorBox.h"
#include "browse/FileListModel.h"
#include "browse/FolderListing.h"
#include "playback/ContinuousPlay.h"
#include "playback/DisplayOptions.h"
#include "playback/SlideShow.h"
#include "playback/SpeedControl.h"

#include <QModelIndex>

namespace tobimaru {

PlaybackCommands::PlaybackCommands(ContinuousPlay& play, SpeedControl& speed, DisplayOptions& display,
                                   SlideShow& slideShow, Prompts& prompts)
    : m_play(play)
    , m_speed(speed)
    , m_display(display)
    , m_slideShow(slideShow)
    , m_prompts(prompts) {}

void PlaybackCommands::PlayPauseCommand() {
    RunCommand(m_prompts, [this] { m_play.PlayOrPause(2); });
}

void PlaybackCommands::StopCommand() {
    RunCommand(m_prompts, [this] { m_play.StopPlay(); });
}

void PlaybackCommands::PreviousCommand() {
    m_play.SetPlaybotton(1);
}

void PlaybackCommands::NextCommand() {
    m_play.SetPlaybotton(0);
}

bool PlaybackCommands::OnToolbarButton(const QString& key) {
    m_slideShow.Disable();
    bool handled = true;
    RunCommand(m_prompts, [&] {
        if (key == QStringLiteral("再生")) {
            if (m_play.hasRows())
                m_play.PlayOrPause(2);
        } else if (key == QStringLiteral("停止")) {
            m_play.StopPlay();
        } else if (key == QStringLiteral("1つ戻る")) {
            m_play.SetPlaybotton(1);
        } else if (key == QStringLiteral("1つ次へ")) {
            m_play.SetPlaybotton(0);
        } else if (key == QStringLiteral("リピート再生")) {
            // The check button has flipped itself.
            m_play.ToggleRepeat(0);
        } else if (key == QStringLiteral("昇順") || key == QStringLiteral("降順")) {
            m_play.setReverseOrder(key == QStringLiteral("降順"));
            m_slideShow.Enable();
        } else if (key == QLatin1String("RateOne")) {
            m_speed.RateOne();
        } else {
            handled = false;
        }
    });
    return handled;
}

bool PlaybackCommands::OnMenuCommand(const QString& group, int index) {
    if (group == QLatin1String("MnuMoviePlay")) {
        PlayPauseCommand();
    } else if (group == QLatin1String("MnuMovieStop")) {
        StopCommand();
    } else if (group == QLatin1String("MnuPrevios")) {
        PreviousCommand();
    } else if (group == QLatin1String("MunNext")) {
        NextCommand();
    } else if (group == QLatin1String("MnuLoop")) {
        RunCommand(m_prompts, [this] { m_play.ToggleRepeat(0); });
    } else if (group == QLatin1String("Dspsize")) {
        RunCommand(m_prompts, [&] { m_display.DspsizeClick(index); });
    } else if (group == QLatin1String("Opt")) {
        RunCommand(m_prompts, [&] { m_display.OptClick(index); });
    } else {
        return false;
    }
    return true;
}

bool PlaybackCommands::OnWindowKeyRelease(int key, Qt::KeyboardModifiers modifiers) {
    switch (key) {
    case Qt::Key_Space:
        if (modifiers & Qt::ShiftModifier) {
            StopCommand();
        } else if (m_play.hasRows()) {
            RunCommand(m_prompts, [this] { m_play.PlayOrPause(2); });
        }
        return true;
    case Qt::Key_F9:
        RunCommand(m_prompts, [this] { m_play.ToggleRepeat(1); });
        return true;
    case Qt::Key_F11:
        RunCommand(m_prompts, [this] { m_display.DspsizeClick(0); });
        return true;
    case Qt::Key_F12:
        RunCommand(m_prompts, [this] { m_display.DspsizeClick(4); });
        return true;
    default:
        return false;
    }
}

bool PlaybackCommands::OnListKeyPress(int key, Qt::KeyboardModifiers modifiers) const {
    return (modifiers & Qt::ControlModifier) && (key == Qt::Key_Up || key == Qt::Key_Down);
}

bool PlaybackCommands::OnListKeyRelease(int key, Qt::KeyboardModifiers modifiers) {
    if (!(modifiers & Qt::ControlModifier))
        return false;
    if (key == Qt::Key_Up) {
        PreviousCommand();
        return true;
    }
    if (key == Qt::Key_Down) {
        NextCommand();
        return true;
    }
    return false;
}

bool PlaybackCommands::OnListDoubleClick(const QModelIndex& index) {
    if (!index.isValid())
        return false;
    const auto* model = qobject_cast<const FileListModel*>(index.model());
    if (!model || model->row(index.row()).extension == FolderRowExtension())
        return false;
    m_play.SetPlaybotton(2);
    return true;
}

} // namespace tobimaru
