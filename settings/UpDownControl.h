#pragma once
// A vertical up-down (spin) control without a buddy and without a position: it only reports steps, as the
// notification of a Windows up-down control with its default range does. The up arrow proposes a delta of
// -1, the down arrow +1; the owner decides what a step means. Held arrows repeat; the Up and Down keys
// step as well while the control has the focus (the dialog forwards them too).

#include <QTimer>
#include <QWidget>

class UpDownControl : public QWidget {
    Q_OBJECT
public:
    explicit UpDownControl(QWidget* parent = nullptr);

    // Steps as a held arrow repeats them: first after kFirstRepeatMs, then every kRepeatMs.
    static constexpr int kFirstRepeatMs = 500;
    static constexpr int kRepeatMs = 100;

signals:
    // The proposed change of position: -1 for the up arrow, +1 for the down arrow.
    void DeltaPos(int delta);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    enum class Half { None, Up, Down };
    void Step(Half half);
    void OnRepeat();
    void DrawHalf(QPainter& painter, const QRect& rect, bool up, bool pressed) const;

    Half m_pressed = Half::None;
    QTimer m_repeat;
};
