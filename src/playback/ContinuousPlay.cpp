#include "playback/ContinuousPlay.h"

#include "base/ErrorBox.h"
#include "base/ErrorTable.h"
#include "base/PathQueries.h"
#include "base/Prompts.h"
#include "base/RuntimeSettings.h"
#include "base/WindowCaption.h"
#include "browse/FileListModel.h"
#include "playback/ContinuousRules.h"
#include "playback/MediaPlayer.h"
#include "playback/PlayMarks.h"
#include "playback/PlaybackState.h"
#include "playback/SlideShow.h"
#include "playback/clsMovie.h"

#include <QItemSelectionModel>
#include <QTimer>
#include <QTreeView>
#include <algorithm>

namespace tobimaru {

namespace {

const QColor kStartedColor(0, 0, 0);
const QColor kEndedColor(255, 0, 0);

/// The row's key and extension column, copied: a start may relist the rows under us.
struct RowRef {
    QString key;
    QString extension;
};

} // namespace

ContinuousPlay::ContinuousPlay(const ContinuousPlayParts& parts, QObject* parent)
    : QObject(parent)
    , m_parts(parts) {
    if (!parts.complete() || !parts.icons || !parts.prompts)
        throw Failure(ErrorCode::ObjectNotSet, "ContinuousPlay");
    AddPlayMarkImages(*parts.icons);

    MediaPlayer* player = parts.player;
    connect(player, &MediaPlayer::EndOfStream, this, &ContinuousPlay::EndOfFile);
    connect(player, &MediaPlayer::PlayStateChange, this, &ContinuousPlay::OnPlayStateChange);
    connect(player, &MediaPlayer::NewStream, this, &ContinuousPlay::OnNewStream);
    connect(player, &MediaPlayer::Warning, this, &ContinuousPlay::OnWarning);
    connect(player, &MediaPlayer::KeyDown, this, &ContinuousPlay::OnPlayerKeyDown);
    connect(&parts.slideShow->timer(), &QTimer::timeout, this, &ContinuousPlay::SlideTimerTick);
}

void ContinuousPlay::ResetRunFlags() {
    m_parts.state->setRepeat(false);
    m_parts.state->setReverseOrder(false);
    m_autoPlayArmed = true;
}

bool ContinuousPlay::LoopOn() const {
    return m_parts.state->repeat();
}

bool ContinuousPlay::ReverseOrder() const {
    return m_parts.state->reverseOrder();
}

void ContinuousPlay::setReverseOrder(bool on) {
    m_parts.state->setReverseOrder(on);
}

int ContinuousPlay::selectedRow() const {
    const QModelIndex current = m_parts.ListView1->currentIndex();
    return current.isValid() ? current.row() : -1;
}

bool ContinuousPlay::hasRows() const {
    return m_parts.model->rowCount() > 0;
}

void ContinuousPlay::selectRow(int row) {
    const QModelIndex index = m_parts.model->index(row, 0);
    m_parts.ListView1->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                                    QItemSelectionModel::Rows);
    m_parts.ListView1->scrollTo(index);
}

void ContinuousPlay::markStarted(int row) {
    FileListModel& model = *m_parts.model;
    model.setRowColor(row, kStartedColor);
    model.setRowBold(row, true);
    model.setRowIconKey(row, ReverseOrder() ? QStringLiteral("PlayUp") : QStringLiteral("PlayDwn"));
    model.setRowToolTip(row, model.row(row).name + QStringLiteral("は、再生しています。"));
}

int ContinuousPlay::quickPathMode() const {
    return m_parts.quickPaths ? m_parts.quickPaths->QuickPathMode() : -1;
}

void ContinuousPlay::SetPlaybotton(PlayStep Flag) {
    RunCommand(*m_parts.prompts, [&] { startRow(Flag); });
}

void ContinuousPlay::startRow(PlayStep Flag) {
    FileListModel& model = *m_parts.model;
    QTreeView* view = m_parts.ListView1;
    const int count = model.rowCount();
    if (count == 0)
        return;
    const int focused = selectedRow();
    if (focused >= 0 && model.row(focused).extension == FolderRowExtension())
        return;

    m_parts.slideShow->Disable();
    m_autoPlayArmed = true;
    // One selected row while the step moves the selection; a failure below leaves it so until
    // the next start that goes through.
    view->setSelectionMode(QAbstractItemView::SingleSelection);

    int index = -1;
    if (!m_playingPath.isEmpty()) {
        // The focused row, not the one playing: a row picked meanwhile decides what comes next.
        index = focused;
    } else {
        for (int r = 0; r < count; ++r) {
            if (view->selectionModel()->isRowSelected(r, QModelIndex())) {
                index = r;
                break;
            }
        }
        if (index >= 0)
            selectRow(index);
    }
    if (index < 0)
        throw Failure(ErrorCode::ObjectNotSet, "SetPlaybotton");

    const SizeMenuIndex dspIndex{std::max(0, m_parts.state->displaySize())};
    if (m_parts.state->fileView()) {
        // File view: every file may be listed, so no stepping, marks or quick paths.
        const RowRef row{model.key(index), model.row(index).extension};
        m_parts.caption->showDetail(row.key);
        m_parts.movie->PlayScreenChange(dspIndex, row.key, row.extension);
        m_parts.movie->PlayStart(row.key, row.extension, dspIndex);
        m_playingPath = row.key;
        view->setSelectionMode(QAbstractItemView::ExtendedSelection);
        return;
    }

    const PlaylistStep step = StepPlaylist(Flag, index, count);
    if (!step.leftIconKey.isEmpty())
        model.setRowIconKey(index, step.leftIconKey);
    if (Flag == PlayStep::Down || Flag == PlayStep::Up)
        selectRow(step.row);

    markStarted(step.row);
    const RowRef row{model.key(step.row), model.row(step.row).extension};
    if (TakeQuickPathDecision(quickPathMode(), m_watchedToEnd) && m_parts.quickPaths)
        m_parts.quickPaths->RecordQuickPath(GetParentPath(row.key));

    m_parts.movie->PlayScreenChange(dspIndex, row.key, row.extension);
    m_parts.movie->PlayStart(row.key, row.extension, dspIndex);
    m_playingPath = row.key;
    m_parts.slideShow->ArmSlideTimer(row.extension);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
}

void ContinuousPlay::ToggleRepeat(RepeatFrom FromKey) {
    const bool on = !LoopOn();
    m_parts.state->setRepeat(on, FromKey == RepeatFrom::Key);
    if (on)
        m_parts.slideShow->Disable();
    else
        m_parts.slideShow->Enable();
}

void ContinuousPlay::EndOfFile(long /*result*/) {
    if (!m_autoPlayArmed)
        return;
    FileListModel& model = *m_parts.model;
    // Each mark is worth doing on its own; a row that is gone just goes without it.
    auto rowOf = [&](const QString& key) { return model.rowOfKey(key); };

    if (LoopOn()) {
        const int row = rowOf(m_playingPath);
        if (row >= 0)
            model.setRowToolTip(row, model.row(row).name + QStringLiteral("は、リピート再生中です。"));
        SetPlaybotton(PlayStep::Selected);
        model.setRowIconKey(rowOf(m_playingPath), QStringLiteral("LOOP_KEY"));
        return;
    }

    const QString ended = m_playingPath;
    if (const int row = rowOf(ended); row >= 0) {
        model.setRowColor(row, kEndedColor);
        model.setRowBold(row, true);
        model.setRowToolTip(row, model.row(row).name + QStringLiteral("は、最後まで見ました。"));
    }
    m_watchedToEnd = true;
    SetPlaybotton(ReverseOrder() ? PlayStep::Up : PlayStep::Down);
    model.setRowIconKey(rowOf(ended), QStringLiteral("PLAY_END_KEY"));
}

void ContinuousPlay::PlayOrPause(PlayStep flag) {
    m_parts.slideShow->Disable();
    if (m_parts.movie->GetPlayState() == MovieState::Playing)
        m_parts.movie->PlayPause();
    else
        SetPlaybotton(flag);
}

void ContinuousPlay::StopPlay() {
    m_autoPlayArmed = false;
    m_parts.movie->PlayStop();
}

void ContinuousPlay::OnPlayStateChange(PlayerState /*oldState*/, PlayerState newState) {
    m_parts.state->setPaused(newState == MediaPlayer::Paused);
}

void ContinuousPlay::OnNewStream() {
    RunQuietly([this] {
        const int selected = selectedRow();
        if (selected < 0)
            return;
        const ListRow& listed = m_parts.model->row(selected);
        const QString key = m_parts.model->key(selected);
        const QString extension = listed.extension;
        const QString folder = GetParentPath(key);
        m_parts.caption->showDetail(PlayingCaptionDetail(listed.name, ListRowSizeText(listed), folder));
        // Size and mute go with every file, so a choice made meanwhile reaches this one too.
        m_parts.movie->PlayScreenChange(SizeMenuIndex{std::max(0, m_parts.state->displaySize())}, key,
                                        extension);
        m_parts.movie->SetPlayMute(m_parts.state->mute(), key, extension);
        if (m_parts.folderMarker)
            m_parts.folderMarker->MarkPlayedFolder(folder);
    });
}

void ContinuousPlay::OnWarning(long /*type*/, long /*param*/, const QString& description) {
    RunQuietly([&] {
        m_parts.prompts->message(description, AppTitle(), PromptIcon::Information, PromptButtons::Ok);
    });
}

void ContinuousPlay::OnPlayerKeyDown(int /*key*/, int /*shift*/) {
    // The window's bindings act on keys of the list, so the focus goes back there.
    m_parts.window->activateWindow();
    m_parts.ListView1->setFocus(Qt::OtherFocusReason);
}

void ContinuousPlay::SlideTimerTick() {
    if (!LoopOn() && m_parts.state->slideShow())
        EndOfFile(0);
}

} // namespace tobimaru
