#pragma once

#include <QHash>
#include <QObject>
#include <QString>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace tobimaru {

/// The main window's three menus: `quickAccess` and `DspOption` in the menu bar, `MnuPlayOpt`
/// as a pop-up only. Items are found by their control name ("Dspsize(3)", "MnuGrid", ...),
/// which is also their objectName; an indexed group's items are "Name(i)".
class Menus final : public QObject {
    Q_OBJECT
public:
    /// Builds every menu and item; `shortcutOwner` is the window whose focus makes shortcuts act.
    Menus(QMenuBar* bar, QWidget* shortcutOwner);

    /// The item of that control name; throws Failure(SubscriptOutOfRange) when there is none.
    QAction* item(const QString& name) const;
    /// The item, or nullptr.
    QAction* find(const QString& name) const;
    /// `quickAccess`, `DspOption`, `MnuPlayOpt` and the submenus by control name.
    QMenu* menu(const QString& name) const;
    /// Every item name, in menu order (separators left out).
    QStringList itemNames() const { return m_order; }

    bool isChecked(const QString& name) const;
    void setChecked(const QString& name, bool on);

Q_SIGNALS:
    /// An item was triggered, by its control name ("Dspsize(3)", "MnuGrid").
    void command(const QString& name);

private:
    QMenu* addMenu(QMenu* parent, const QString& name, const QString& caption);
    QAction* addItem(QMenu* menu, const QString& name, const QString& caption, const QString& shortcut = {},
                     bool checkable = false);

    QWidget* m_owner = nullptr;
    QHash<QString, QAction*> m_items;
    QHash<QString, QMenu*> m_menus;
    QStringList m_order;
};

/// Before the list's pop-up opens: the playback entries only for a list of media rows (not in
/// file view), the file entries only when the list has rows.
void AdjustListPopup(Menus& menus, bool hasRows, bool fileView);

/// Splits "Name(3)" into ("Name", 3); a plain name gives index -1.
std::pair<QString, int> SplitItemName(const QString& name);

} // namespace tobimaru
