#pragma once
// The station's side of the scan log across one scan: the card's row goes to disk at once (with two empty
// comment fields when comments follow), the Comments dialog opens without holding up the station, and
// when it closes its comments go into that same row.
//
//   WriteRow --> row on disk --> NewComments (placed by the window) --> OpenComments --(closed)-->
//   AddComments into the row --> `closed` callback

#include "Remarks.h"
#include "StationLog.h"

#include <functional>
#include <memory>
#include <string>

namespace MagneticStripeCards {
class Card;
}
class QWidget;

class ScanLogSession {
public:
    // `runNumber`: this run's "Log Number", taken once at start.
    explicit ScanLogSession(std::string runNumber);
    ~ScanLogSession();

    ScanLogSession(const ScanLogSession&) = delete;
    ScanLogSession& operator=(const ScanLogSession&) = delete;

    // Appends the card's row; false when it is not in the log file now (the writer has told the user; the
    // row waits in the spool or in memory for the next write that succeeds, and can still take comments).
    bool WriteRow(const MagneticStripeCards::Card& card, bool commentsFollow);
    // A row made elsewhere (a mobile licence's), without comments; false as above.
    bool WriteRow(const std::string& row);

    // The Comments dialog for the row written last, owned by `owner`, not shown yet (so the window can
    // place it). A dialog still open from before is closed first.
    Remarks& NewComments(QWidget& owner);
    // Shows it, modal to its owner only, and returns at once; `closed` runs after its comments went into
    // the row, however the dialog was closed.
    void OpenComments(std::function<void()> closed);
    bool IsCommentsOpen() const;

private:
    void OnCommentsFinished();

    StationLog m_log;
    std::unique_ptr<Remarks> m_remarks;
    std::function<void()> m_closed;
};
