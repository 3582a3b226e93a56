#pragma once
// Runs a job on a worker thread while the GUI thread keeps serving its event
// loop, so every window repaints, moves and answers during the job. The job
// is handed Port(), which carries each of its calls to the window on the
// GUI thread: progress, status, Done, the end and the wait cursor are queued
// and applied in the order made, in one batch per turn of the event loop; a
// message box or a name question blocks the worker until the user answers.
// No widget is touched from the worker.

#include <QObject>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/JobWindow.h"

class CJobThread : public QObject {
  Q_OBJECT

 public:
  /// `window` is the window on this object's (the GUI) thread that the
  /// job's calls reach.
  explicit CJobThread(twick::JobWindow& window, QObject* parent = nullptr);
  /// A job still running is asked to stop and waited for.
  ~CJobThread() override;

  /// The window to hand the job.
  twick::JobWindow& Port();

  /// Starts `job` on a worker. Once it has returned and every call it made
  /// has reached the window, `finished` runs on the GUI thread.
  void Start(std::function<void()> job, std::function<void()> finished);
  /// True from Start until just before `finished` runs.
  bool IsRunning() const { return m_running; }
  /// Asks the job to stop at its next step.
  void RequestCancel() { m_cancel = true; }
  bool IsCancelRequested() const { return m_cancel; }
  /// Serves the event loop until the job has finished (`finished` included).
  void WaitForFinish();
  /// The worker's thread id while a job runs or after it ran.
  std::thread::id WorkerId() const { return m_workerId; }

 private:
  class WorkerWindow;
  /// One queued window call.
  struct Call {
    enum Kind { Range, Step, Pos, StepOnce, Status, Done, End, BeginWait, EndWait } kind;
    int a = 0;
    int b = 0;
    std::string text;
  };

  /// Queues one window call; the GUI thread applies the queue soon.
  void Post(Call call);
  /// Applies every queued call (GUI thread).
  void Drain();
  void Apply(const Call& call);
  /// Runs `show` on the GUI thread after the queue, and waits for it.
  void Blocking(const std::function<void()>& show);
  void OnWorkerEnded();

  twick::JobWindow& m_window;
  std::unique_ptr<WorkerWindow> m_port;
  std::thread m_worker;
  std::thread::id m_workerId;
  std::function<void()> m_finished;
  std::atomic<bool> m_cancel{false};
  bool m_running = false;  // GUI thread only

  std::mutex m_queueLock;  // guards the two below
  std::vector<Call> m_queue;
  bool m_drainPosted = false;
};
