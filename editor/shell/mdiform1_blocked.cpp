#include <QEventLoop>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTimer>
#include <exception>
#include <thread>

#include "entry_list.h"
#include "mdiform1.h"

namespace {

// How often the progress bar takes the worker's step, in milliseconds.
constexpr int ProgressPollMs = 40;

// The entry lists' current rows when work starts: rows the user picks while it
// runs are set back, without a selection event, before the window goes on.
class KeptRows {
public:
    explicit KeptRows(std::initializer_list<EntryListView*> lists) {
        for (EntryListView* list : lists)
            kept_.push_back({list, list->currentRow(), list->count()});
    }
    void restore() const {
        for (const Kept& one : kept_)
            if (one.list->count() == one.count && one.list->currentRow() != one.row)
                one.list->setCurrentRowQuietly(one.row);
    }

private:
    struct Kept {
        EntryListView* list;
        int row;
        int count;
    };
    std::vector<Kept> kept_;
};

} // namespace

void MDIForm1::runBlocked(const QString& caption, const BlockedWork& work,
                          const std::function<void()>& done) {
    VFL_Blocked = true;
    ++blockedDepth_;
    showHourglass();
    Label3(1)->setText(caption);
    Frame1->show();
    Frame1->raise();
    ProgressBar1->setValue(0);
    const KeptRows rows{List2, List1, List3};
    const bool editorReadOnly = Text1->isReadOnly();
    Text1->setReadOnly(true);

    std::atomic<int> progress{0};
    std::exception_ptr failure;
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(ProgressPollMs);
    connect(&poll, &QTimer::timeout, this, [this, &progress] {
        ProgressBar1->setValue(progress.load(std::memory_order_relaxed));
    });
    poll.start();
    std::thread worker([&] {
        try {
            work(progress);
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    // Input keeps arriving here; the guarded handlers see VFL_Blocked and
    // ignore it, so nothing waits to be replayed when the loop ends.
    loop.exec();
    worker.join();
    poll.stop();

    rows.restore();
    Text1->setReadOnly(editorReadOnly);
    Frame1->hide();
    Label3(1)->clear();
    showNormalPointer();
    VFL_Blocked = false;
    const auto finish = [this] {
        if (--blockedDepth_ == 0 && closeAfterWork_)
            QTimer::singleShot(0, this, [this] { close(); });
    };
    if (failure) {
        finish();
        std::rethrow_exception(failure);
    }
    try {
        if (done)
            done();
    } catch (...) {
        finish();
        throw;
    }
    finish();
}
