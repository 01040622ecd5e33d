#pragma once
// The "Valid Age" dialog: the age being edited painted as one large number, an up-down control that
// moves it by one per step, OK to store it ("Valid Age"), Cancel to leave the stored age alone.
//
//   Settings::GetValidAge --(construct)--> m_age --(steps)--> m_age --(OK)--> Settings::SetValidAge

#include "CDrawnButton.h"
#include "UpDownControl.h"

#include <QDialog>
#include <QString>

#include <cstdint>

class ValidAge : public QDialog {
    Q_OBJECT
public:
    explicit ValidAge(QWidget* parent = nullptr);

    std::int32_t Age() const { return m_age; }
    // The text of the last paint.
    const QString& AgeText() const { return m_ageText; }

    // Template geometry (dialog units).
    static constexpr int kWidth = 66;
    static constexpr int kHeight = 59;
    // Where the number is painted (pixels of the client area) and its font's cell height.
    static constexpr int kNumberCentreX = 55;
    static constexpr int kNumberTop = 5;
    static constexpr int kNumberCellHeight = 85;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void OnDeltaPos(int delta);
    void OnOK();
    bool StepByKey(int key);

    CDrawnButton m_ok;
    UpDownControl m_upDown;
    CDrawnButton m_cancel;
    std::int32_t m_age;
    QString m_ageText;
};
