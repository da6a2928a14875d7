#pragma once

#include "questions.h"

#include <QFutureWatcher>
#include <QProgressDialog>
#include <QtConcurrent/QtConcurrentRun>

#include <functional>

// Runs `work` on a worker thread behind a modal progress dialog, so that the window keeps
// painting, and returns its result. The work reports (done, total) and touches no widget
// and no model object. `ending` is set when the program is asked to end: the dialog then
// cannot be shown again, and the work is waited for.
template <typename Result>
Result runWithProgress(const QString& label, const bool& ending,
                       const std::function<Result(const std::function<void(qint64, qint64)>&)>& work)
{
    QProgressDialog dialog;
    dialog.setLabelText(label);
    dialog.setCancelButton(nullptr); // the work leaves nothing half done, so there is nothing to cancel
    dialog.setAutoReset(false);
    dialog.setAutoClose(false);
    dialog.setMinimumDuration(0);
    dialog.setRange(0, 0); // busy, until the amount of work is known
    QFutureWatcher<Result> watcher;
    QObject::connect(&watcher, &QFutureWatcherBase::progressRangeChanged, &dialog, &QProgressDialog::setRange);
    QObject::connect(&watcher, &QFutureWatcherBase::progressValueChanged, &dialog, &QProgressDialog::setValue);
    QObject::connect(&watcher, &QFutureWatcherBase::finished, &dialog, &QDialog::accept);
    watcher.setFuture(QtConcurrent::run([work](QPromise<Result>& promise) {
        qint64 range = -1;
        promise.addResult(work([&promise, &range](qint64 done, qint64 total) {
            if (total != range)
                promise.setProgressRange(0, int(total));
            range = total;
            promise.setProgressValue(int(done));
        }));
    }));
    // Shown at least once, even for work that ends at once, so that it always looks the
    // same; it closes when the work ends, and closed earlier with Esc, it comes back.
    do
        Questions::runDialog(dialog);
    while (!watcher.future().isFinished() && !ending);
    return watcher.future().result();
}
