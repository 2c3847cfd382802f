#pragma once

#include <QObject>
#include <QPointer>

class QLineEdit;
class QWidget;

namespace tobimaru {

/// A spin control attached to a text box: two arrows over the right end of the box that step
/// the number in it between a least and a greatest value, the Up and Down keys in the box doing
/// the same. Only the arrows keep to the range; what is typed stays as typed.
class clsUpdown final : public QObject {
    Q_OBJECT
public:
    explicit clsUpdown(QObject* parent = nullptr);
    /// The arrows go with the object.
    ~clsUpdown() override;

    /// Makes the arrows in the box's container, `Min` to `Max`, at position 1, placed over the
    /// right end of the box, and watches the box's arrow keys. False (and nothing made) without a
    /// box or for Min above Max. A second Create replaces the first.
    bool Create(QLineEdit* objTextBox, int Max, int Min);

    /// The position the arrows last wrote.
    int position() const { return m_position; }
    /// The arrows' widget, null before Create.
    QWidget* control() const { return m_control; }
    /// One arrow press: `steps` up (positive) or down. The box's number, kept to the range, is
    /// where the step starts; a box without a number starts from the last position.
    void step(int steps);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void destroyControl();

    QPointer<QLineEdit> m_buddy;
    QPointer<QWidget> m_control;
    int m_min = 0;
    int m_max = 0;
    int m_position = 1;
};

} // namespace tobimaru
