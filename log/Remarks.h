#pragma once
// The Comments dialog: two free-text comments for the row of one logged card. The texts are taken on OK
// only (button or Enter); Cancel, Escape or closing the window leave both empty. GetLogSuffix gives the two
// quoted fields that follow the card's 19 in the log row.

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

#include <string>

class Remarks : public QDialog {
    Q_OBJECT
public:
    explicit Remarks(QWidget* parent = nullptr);

    // ,"<comment 1>","<comment 2>" with every double quote of a comment doubled (RFC 4180), and an
    // apostrophe before a comment that a spreadsheet would take for a formula.
    std::string GetLogSuffix() const;

    const std::string& Comment1() const { return m_comment1; }
    const std::string& Comment2() const { return m_comment2; }

    // Template geometry (dialog units).
    static constexpr int kWidth = 210;
    static constexpr int kHeight = 83;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OnOK();

    QLineEdit m_comment1Box; // control 1020
    QLineEdit m_comment2Box; // control 1019
    QPushButton m_ok;
    QPushButton m_cancel;
    std::string m_comment1;
    std::string m_comment2;
};
