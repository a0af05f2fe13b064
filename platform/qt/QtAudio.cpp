// Each sound is a QAudioSink in pull mode reading its source through a QIODevice. All of Qt's
// audio objects live on one thread for the whole run, closed before the statics go at exit.
#include "platform/qt/QtAudio.h"

#include <unistd.h>

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QCoreApplication>
#include <QIODevice>
#include <QMediaDevices>
#include <QPointer>
#include <QThread>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <utility>

#include "platform/qt/QtApp.h"
#include "platform/winmm/AudioSink.h"

namespace qt {
namespace {

using winmm::SoundSource;

// The sound as Qt reads it: never short of data until the source has ended.
class SourceDevice final : public QIODevice {
 public:
  explicit SourceDevice(std::shared_ptr<SoundSource> source) : source_(std::move(source)) {
    open(QIODevice::ReadOnly);
  }
  bool isSequential() const override { return true; }
  bool atEnd() const override { return source_->Ended(); }
  qint64 bytesAvailable() const override {
    return (source_->Ended() ? 0 : kPlenty) + QIODevice::bytesAvailable();
  }

 protected:
  qint64 readData(char* data, qint64 maxSize) override {
    return static_cast<qint64>(source_->Read({reinterpret_cast<BYTE*>(data), static_cast<std::size_t>(maxSize)}));
  }
  qint64 writeData(const char*, qint64) override { return -1; }

 private:
  static constexpr qint64 kPlenty = 1 << 20;
  const std::shared_ptr<SoundSource> source_;
};

QAudioFormat ToQt(const winmm::PcmFormat& pcm) {
  QAudioFormat format;
  format.setSampleRate(pcm.sampleRate);
  format.setChannelCount(pcm.channels);
  format.setSampleFormat(pcm.bitsPerSample == 8 ? QAudioFormat::UInt8 : QAudioFormat::Int16);
  return format;
}

// One sound on the device; made, run and destroyed on the audio thread. A sound that cannot
// be played ends its source, which makes it silent.
class Playback final : public QObject {
 public:
  Playback(std::shared_ptr<SoundSource> source, QObject* parent)
      : QObject(parent), source_(std::move(source)), device_(source_) {
    if (!Open()) source_->End();
  }
  ~Playback() override {
    if (sink_ && !sink_->isNull()) sink_->stop();
  }

 private:
  bool Open() {
    const QAudioDevice output = QMediaDevices::defaultAudioOutput();
    const QAudioFormat format = ToQt(source_->Format());
    if (output.isNull() || !output.isFormatSupported(format)) return false;
    sink_ = std::make_unique<QAudioSink>(output, format);
    if (sink_->isNull()) return false;
    QObject::connect(sink_.get(), &QAudioSink::stateChanged, sink_.get(), [this](QAudio::State state) {
      if (state == QAudio::StoppedState && sink_->error() != QAudio::NoError) source_->End();
    });
    sink_->start(&device_);
    return sink_->error() == QAudio::NoError;
  }

  const std::shared_ptr<SoundSource> source_;
  SourceDevice device_;
  std::unique_ptr<QAudioSink> sink_;  // last: it goes before the device it reads
};

// The thread the audio objects live on. Jobs travel through a queue of our own, so what
// they carry is handed over under a lock that the thread checkers see; Qt only wakes the
// thread with an empty event, and nothing of ours rides on it.
class AudioThread {
 public:
  // Null while Qt cannot deliver events here (see the header).
  static AudioThread* Get();

  // Runs `job` on the thread after the jobs before it, unless the thread is closed.
  void Post(std::function<void()> job) {
    std::unique_lock lock(mutex_);
    if (open_) Enqueue(lock, std::move(job), false);
  }
  // The same, and returns when it has run.
  void Run(std::function<void()> job) {
    std::unique_lock lock(mutex_);
    if (open_) Enqueue(lock, std::move(job), true);
  }
  QObject* Context() const { return context_.get(); }
  // Makes the process close the thread at exit before the statics made so far are destroyed.
  static void RegisterCloseAtExit() { std::atexit(CloseAtExit); }

 private:
  // Lives on the thread; every Playback is its child.
  class Mailbox final : public QObject {
   public:
    explicit Mailbox(AudioThread& owner) : owner_(owner) {}

   protected:
    void customEvent(QEvent*) override { owner_.Drain(); }

   private:
    AudioThread& owner_;
  };

  // Returns once the thread runs: its event dispatcher, which every wake-up goes through,
  // is then made, and the thread checkers see that it was made before it is used. The
  // thread's end is reported the same way.
  AudioThread() : context_(std::make_unique<Mailbox>(*this)) {
    context_->moveToThread(&thread_);
    // Both run on the audio thread.
    QObject::connect(&thread_, &QThread::started, [this] { SetRunning(true); });
    QObject::connect(&thread_, &QThread::finished, [this] { SetRunning(false); });
    thread_.start();
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return running_; });
  }

  void SetRunning(bool running) {
    std::lock_guard lock(mutex_);
    running_ = running;
    changed_.notify_all();
  }

  static void CloseAtExit();

  void Enqueue(std::unique_lock<std::mutex>& lock, std::function<void()> job, bool wait) {
    bool done = false;
    if (wait) {
      job = [this, job = std::move(job), &done] {
        job();
        std::lock_guard doneLock(mutex_);
        done = true;
        changed_.notify_all();
      };
    }
    jobs_.push_back(std::move(job));
    QCoreApplication::postEvent(context_.get(), new QEvent(QEvent::User));
    if (wait) changed_.wait(lock, [&done] { return done; });
  }

  void Drain() {
    for (;;) {
      std::function<void()> job;
      {
        std::lock_guard lock(mutex_);
        if (jobs_.empty()) return;
        job = std::move(jobs_.front());
        jobs_.pop_front();
      }
      job();
    }
  }

  // Stops every sound still playing and ends the thread; later jobs are dropped.
  void Close() {
    std::unique_lock lock(mutex_);
    if (!open_) return;
    open_ = false;
    // The thread ends its own loop: a wake-up from here could meet its dispatcher closing.
    Enqueue(lock, [this] {
      const QObjectList playing = context_->children();
      qDeleteAll(playing);
      thread_.quit();
    }, true);
    changed_.wait(lock, [this] { return !running_; });
    lock.unlock();
    thread_.wait();
  }

  QThread thread_;
  const std::unique_ptr<Mailbox> context_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::function<void()>> jobs_;
  bool running_ = false;
  bool open_ = true;
};

std::mutex theThreadMutex;
AudioThread* theThread = nullptr;  // never deleted: closed at exit, while Qt is still whole

AudioThread* AudioThread::Get() {
  std::lock_guard lock(theThreadMutex);
  if (theThread) return theThread;
  if (!QCoreApplication::instance()) {
    if (gettid() != getpid()) return nullptr;  // an application object belongs to the main thread
    EnsureApplication();
  }
  theThread = new AudioThread;
  RegisterCloseAtExit();
  return theThread;
}

void AudioThread::CloseAtExit() {
  std::lock_guard lock(theThreadMutex);
  theThread->Close();
}

class QtAudioSink final : public winmm::AudioSink {
 public:
  ~QtAudioSink() override {
    if (thread_) thread_->Run([state = state_] { delete state->playback; });
  }

  void Start(std::shared_ptr<SoundSource> source) override {
    thread_ = AudioThread::Get();
    if (!thread_) {
      source->End();
      return;
    }
    thread_->Post([state = state_, context = thread_->Context(), source = std::move(source)]() mutable {
      state->playback = new Playback(std::move(source), context);  // owned by the context
      // Qt makes some of its audio statics only when a sink starts; the hook registered
      // after them runs before they are destroyed at exit.
      AudioThread::RegisterCloseAtExit();
    });
  }

 private:
  // Touched on the audio thread only; the playback is already gone if the thread closed first.
  struct State {
    QPointer<Playback> playback;
  };
  const std::shared_ptr<State> state_ = std::make_shared<State>();
  AudioThread* thread_ = nullptr;
};

}  // namespace

void InstallAudio() {
  winmm::SetAudioSinkFactory([] { return std::make_unique<QtAudioSink>(); });
}

}  // namespace qt

#if defined(__SANITIZE_THREAD__)
// The sound server's client library and Qt's audio backend hand buffers and locks between
// their own threads in ways the thread checker cannot see, since they are not built for it;
// what it reports inside them is noise.
extern "C" const char* __tsan_default_suppressions() { return "race:libpulse\nrace:libQt6Multimedia\n"; }
#endif
