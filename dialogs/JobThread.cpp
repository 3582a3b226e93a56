#include "dialogs/JobThread.h"

#include <QCoreApplication>
#include <QThread>

using namespace twick;

/// The window the job talks to on its worker thread.
class CJobThread::WorkerWindow : public JobWindow {
 public:
  explicit WorkerWindow(CJobThread& owner) : owner_(owner) {}

  void SetProgressRange(int low, int high) override { owner_.Post({Call::Range, low, high, {}}); }
  void SetProgressStep(int step) override { owner_.Post({Call::Step, step, 0, {}}); }
  void SetProgressPos(int pos) override { owner_.Post({Call::Pos, pos, 0, {}}); }
  void StepProgress() override { owner_.Post({Call::StepOnce, 1, 0, {}}); }
  void SetStatusText(const std::string& text) override { owner_.Post({Call::Status, 0, 0, text}); }
  void EnableDone(bool enable) override { owner_.Post({Call::Done, enable ? 1 : 0, 0, {}}); }
  void EndDialog(int result) override { owner_.Post({Call::End, result, 0, {}}); }
  void BeginWaitCursor() override { owner_.Post({Call::BeginWait, 0, 0, {}}); }
  void EndWaitCursor() override { owner_.Post({Call::EndWait, 0, 0, {}}); }

  void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override {
    owner_.Blocking([&] { owner_.m_window.ShowMessage(text, caption, icon); });
  }

  NameChoice AskOutputName(std::string& path) override {
    NameChoice choice = NameChoice::Cancel;
    owner_.Blocking([&] { choice = owner_.m_window.AskOutputName(path); });
    return choice;
  }

  bool CancelRequested() override { return owner_.m_cancel; }

 private:
  CJobThread& owner_;
};

CJobThread::CJobThread(JobWindow& window, QObject* parent)
    : QObject(parent), m_window(window), m_port(std::make_unique<WorkerWindow>(*this)) {}

CJobThread::~CJobThread() {
  if (m_running) {
    // The window is going away: nothing may be called on it after the job.
    m_finished = nullptr;
    RequestCancel();
    WaitForFinish();
  }
  if (m_worker.joinable()) m_worker.join();
}

JobWindow& CJobThread::Port() { return *m_port; }

void CJobThread::Start(std::function<void()> job, std::function<void()> finished) {
  if (m_running) return;
  m_running = true;
  m_cancel = false;
  m_finished = std::move(finished);
  m_worker = std::thread([this, job = std::move(job)] {
    job();
    QMetaObject::invokeMethod(this, &CJobThread::OnWorkerEnded, Qt::QueuedConnection);
  });
  m_workerId = m_worker.get_id();
}

void CJobThread::WaitForFinish() {
  while (m_running) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void CJobThread::OnWorkerEnded() {
  m_worker.join();
  Drain();
  m_running = false;
  std::function<void()> finished = std::move(m_finished);
  m_finished = nullptr;
  if (finished) finished();
}

void CJobThread::Post(Call call) {
  if (QThread::currentThread() == thread()) {
    // Called on the GUI thread itself (no worker): apply it at once, in order.
    Drain();
    Apply(call);
    return;
  }
  bool post = false;
  {
    std::lock_guard<std::mutex> lock(m_queueLock);
    // Later calls make earlier ones moot: one status text, one position (a
    // step counts from the one before), steps counted, a cursor shown and
    // hidden again dropped. So a fast job never floods the event loop.
    const Call::Kind last = m_queue.empty() ? Call::End : m_queue.back().kind;
    if (call.kind == Call::Status && !m_queue.empty() && last == Call::Status) {
      m_queue.back().text = std::move(call.text);
    } else if (call.kind == Call::StepOnce && !m_queue.empty() && last == Call::StepOnce) {
      ++m_queue.back().a;
    } else if (call.kind == Call::EndWait && !m_queue.empty() && last == Call::BeginWait) {
      m_queue.pop_back();  // a wait cursor shown and hidden again in between
    } else {
      if (call.kind == Call::Pos) {
        while (!m_queue.empty() &&
               (m_queue.back().kind == Call::Pos || m_queue.back().kind == Call::StepOnce))
          m_queue.pop_back();
      }
      m_queue.push_back(std::move(call));
    }
    post = !m_drainPosted;
    m_drainPosted = true;
  }
  if (post) QMetaObject::invokeMethod(this, &CJobThread::Drain, Qt::QueuedConnection);
}

void CJobThread::Drain() {
  std::vector<Call> calls;
  {
    std::lock_guard<std::mutex> lock(m_queueLock);
    calls.swap(m_queue);
    m_drainPosted = false;
  }
  for (const Call& call : calls) Apply(call);
}

void CJobThread::Apply(const Call& call) {
  switch (call.kind) {
    case Call::Range: m_window.SetProgressRange(call.a, call.b); break;
    case Call::Step: m_window.SetProgressStep(call.a); break;
    case Call::Pos: m_window.SetProgressPos(call.a); break;
    case Call::StepOnce:
      for (int i = 0; i < call.a; ++i) m_window.StepProgress();
      break;
    case Call::Status: m_window.SetStatusText(call.text); break;
    case Call::Done: m_window.EnableDone(call.a != 0); break;
    case Call::End: m_window.EndDialog(call.a); break;
    case Call::BeginWait: m_window.BeginWaitCursor(); break;
    case Call::EndWait: m_window.EndWaitCursor(); break;
  }
}

void CJobThread::Blocking(const std::function<void()>& show) {
  if (QThread::currentThread() == thread()) {
    Drain();
    show();
    return;
  }
  QMetaObject::invokeMethod(
      this,
      [&] {
        Drain();
        show();
      },
      Qt::BlockingQueuedConnection);
}
