#pragma once
// The station's answer to the scan log: the "Couldn't open logfile" box. The box is not modal and does not take the
// keyboard: the reader's next card must reach the station, not close the box. It is shown without being activated, and
// key strokes that reach it all the same go on to the station. It opens low over the window the operator works in,
// within the fenced-in pointer's reach and clear of the verdict, and stays until OK is clicked; a failure while it is
// still up does not open a second one.

#include "ILogPrompts.h"

#include <memory>

class KeysToStation;
class QMessageBox;

class DialogLogPrompts final : public ILogPrompts {
public:
    DialogLogPrompts();
    ~DialogLogPrompts() override;
    DialogLogPrompts(const DialogLogPrompts&) = delete;
    DialogLogPrompts& operator=(const DialogLogPrompts&) = delete;

    void ShowCannotOpenLog() override;

    // The box once shown (null before).
    const QMessageBox* CannotOpenBox() const { return m_box.get(); }

private:
    std::unique_ptr<KeysToStation> m_keys; // sends key strokes that reach the box on to the station
    std::unique_ptr<QMessageBox> m_box;    // no owner window, as the box always had
};
