#include "platform/forms/MediaPlayer.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <mutex>

#include <QAudioOutput>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QMediaPlayer>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <QWidget>

namespace {

// How long a sound of unknown length is taken to last when it cannot be played.
constexpr int kUnknownLengthMs = 1000;
// How long a real playback may run past its expected end, or stand still, before it counts as
// ended.
constexpr int kStallMs = 2000;
// How long deleting a player waits for the backend to let go of its sound.
constexpr int kLetGoMs = 5000;

uint32_t Le32(const char* p) {
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

// The length of a RIFF WAVE file from its header, -1 when the file is not one. Known before any
// backend has looked at the file, so a silent playback lasts as long as the sound.
int WaveLengthMs(QFile& file) {
    char header[12];
    if (file.read(header, 12) != 12 || std::memcmp(header, "RIFF", 4) != 0 ||
        std::memcmp(header + 8, "WAVE", 4) != 0) {
        return -1;
    }
    uint32_t byteRate = 0;
    for (int chunks = 0; chunks < 64; ++chunks) {
        char chunk[8];
        if (file.read(chunk, 8) != 8) {
            return -1;
        }
        const uint32_t size = Le32(chunk + 4);
        if (std::memcmp(chunk, "fmt ", 4) == 0 && size >= 12) {
            char fmt[12];
            if (file.read(fmt, 12) != 12) {
                return -1;
            }
            byteRate = Le32(fmt + 8);
            file.skip(qint64(size) - 12 + (size & 1));
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (byteRate == 0) {
                return -1;
            }
            // A header written before the length was known holds a size past the end.
            const qint64 available = file.size() - file.pos();
            const qint64 bytes = std::min<qint64>(size, available);
            return int(std::min<qint64>(bytes * 1000 / byteRate, INT32_MAX));
        } else if (!file.skip(qint64(size) + (size & 1))) {
            return -1;
        }
    }
    return -1;
}

// Qt Multimedia's side of a player, on a thread of its own: Qt's GStreamer backend can deadlock
// its streaming threads against the thread that calls it (setSource while the output is being
// linked), and the window's thread must never wait for it. Commands come in as queued calls;
// news goes out as queued calls to the window's side, whose watch ends a playback the backend
// never finishes.
struct Backend {
    QThread thread;
    QObject host; // lives on thread; commands run as its queued calls
    QMediaPlayer* player = nullptr;
    QAudioOutput* output = nullptr;
    // The Open and the Play the backend is on, so that the window's side can drop late news.
    unsigned source = 0;
    unsigned run = 0;

    std::mutex lock;
    QObject* listener = nullptr; // null once the window's side is going

    struct Tag {
        unsigned source;
        unsigned run;
    };
    Tag Now() const { return {source, run}; }

    void Tell(std::function<void()> news) {
        std::lock_guard<std::mutex> guard(lock);
        if (listener != nullptr) {
            QMetaObject::invokeMethod(listener, std::move(news), Qt::QueuedConnection);
        }
    }
};

} // namespace

struct TMediaPlayer::Impl {
    TMediaPlayer* self;
    QObject context;
    std::unique_ptr<Backend> backend;
    QTimer endTimer;
    QEventLoop* waitLoop = nullptr;
    bool open = false;
    bool playing = false;
    bool silent = false; // the playback under way is the timer alone
    bool failed = false; // the backend cannot play the open file
    bool atEnd = false;  // the last playback ran to its end
    bool notifyPending = false;
    int lengthMs = -1;
    // What the backend last said about the playback under way.
    qint64 position = 0;
    bool backendPlaying = false;
    qint64 lastPosition = -1;
    unsigned generation = 0; // a notification or news from before a Close or Open is dropped
    unsigned run = 0;        // news from before a Play is dropped

    explicit Impl(TMediaPlayer* owner) : self(owner) {
        endTimer.setSingleShot(true);
        QObject::connect(&endTimer, &QTimer::timeout, &context, [this] { TimerFired(); });
    }

    ~Impl() {
        if (!backend) {
            return;
        }
        {
            std::lock_guard<std::mutex> guard(backend->lock);
            backend->listener = nullptr;
        }
        Post([](Backend& b) {
            delete b.player;
            delete b.output;
            b.thread.quit();
        });
        if (!backend->thread.wait(QDeadlineTimer(kLetGoMs))) {
            // The backend is stuck and keeps its thread; the program may end while it waits.
            static_cast<void>(backend.release());
        }
    }

    void Post(std::function<void(Backend&)> command) {
        Backend* b = backend.get();
        QMetaObject::invokeMethod(
            &b->host, [b, command = std::move(command)] { command(*b); }, Qt::QueuedConnection);
    }

    void EnsureBackend() {
        if (backend) {
            return;
        }
        backend = std::make_unique<Backend>();
        backend->listener = &context;
        backend->thread.setObjectName(QStringLiteral("sound"));
        backend->host.moveToThread(&backend->thread);
        backend->thread.start();
        Post([this](Backend& b) { Create(b); });
    }

    // A signal of the backend passed on to the window's side, with the Open and the Play the
    // backend was on when it came.
    template <class... Args> auto Relay(Backend& b, void (Impl::*heard)(Backend::Tag, Args...)) {
        return [this, &b, heard](Args... args) {
            b.Tell([this, heard, tag = b.Now(), args...] { (this->*heard)(tag, args...); });
        };
    }

    // On the backend's thread.
    void Create(Backend& b) {
        b.player = new QMediaPlayer;
        // An output is attached even when no device is listed: the backend then plays into its
        // default sink, or fails, and either way the playback ends.
        b.output = new QAudioOutput;
        b.player->setAudioOutput(b.output);
        QObject::connect(b.player, &QMediaPlayer::mediaStatusChanged, Relay(b, &Impl::HeardStatus));
        QObject::connect(b.player, &QMediaPlayer::errorOccurred, Relay(b, &Impl::HeardError));
        QObject::connect(b.player, &QMediaPlayer::durationChanged, Relay(b, &Impl::HeardDuration));
        QObject::connect(b.player, &QMediaPlayer::positionChanged, Relay(b, &Impl::HeardPosition));
        QObject::connect(b.player, &QMediaPlayer::playbackStateChanged, Relay(b, &Impl::HeardState));
    }

    bool ThisSource(Backend::Tag tag) const { return tag.source == generation; }
    bool ThisRun(Backend::Tag tag) const { return ThisSource(tag) && tag.run == run; }

    void HeardStatus(Backend::Tag tag, QMediaPlayer::MediaStatus status) {
        if (status == QMediaPlayer::EndOfMedia && ThisRun(tag) && playing && !silent) {
            Finish();
        } else if (status == QMediaPlayer::InvalidMedia && ThisSource(tag)) {
            Failed();
        }
    }

    void HeardError(Backend::Tag tag, QMediaPlayer::Error) {
        if (ThisSource(tag)) {
            Failed();
        }
    }

    void HeardDuration(Backend::Tag tag, qint64 ms) {
        if (ThisSource(tag) && lengthMs < 0 && ms > 0) {
            lengthMs = int(std::min<qint64>(ms, INT32_MAX));
            if (playing && !silent) {
                ArmWatch();
            }
        }
    }

    void HeardPosition(Backend::Tag tag, qint64 ms) {
        if (ThisRun(tag)) {
            position = ms;
        }
    }

    void HeardState(Backend::Tag tag, QMediaPlayer::PlaybackState state) {
        if (ThisRun(tag)) {
            backendPlaying = state == QMediaPlayer::PlayingState;
        }
    }

    // The rest of the playback goes on in silence.
    void Failed() {
        failed = true;
        if (playing && !silent) {
            GoSilent(lengthMs >= 0 ? std::max<qint64>(0, lengthMs - position) : kUnknownLengthMs);
        }
    }

    void GoSilent(qint64 ms) {
        silent = true;
        endTimer.start(int(std::min<qint64>(ms, INT32_MAX)));
    }

    // While the backend plays, the timer checks that it gets on; it ends a playback that has run
    // well past its length or that stands still.
    void ArmWatch() {
        qint64 ms = kStallMs;
        if (lengthMs >= 0) {
            ms += std::max<qint64>(0, lengthMs - position);
        }
        endTimer.start(int(std::min<qint64>(ms, INT32_MAX)));
    }

    void TimerFired() {
        if (!playing) {
            return;
        }
        if (!silent) {
            const bool moving = backendPlaying && position > lastPosition;
            const bool withinLength = lengthMs < 0 || position < lengthMs;
            if (moving && withinLength) {
                lastPosition = position;
                ArmWatch();
                return;
            }
        }
        Finish();
    }

    void Start(bool fromEnd) {
        playing = true;
        silent = false;
        if (fromEnd) {
            GoSilent(0);
        } else if (!open || failed) {
            GoSilent(open && lengthMs >= 0 ? lengthMs : kUnknownLengthMs);
        } else {
            lastPosition = -1;
            position = 0;
            backendPlaying = false;
            Post([thisRun = ++run](Backend& b) {
                b.run = thisRun;
                b.player->play();
            });
            ArmWatch();
        }
    }

    void Finish() {
        endTimer.stop();
        playing = false;
        silent = false;
        atEnd = true;
        if (backend) {
            Post([](Backend& b) { b.player->stop(); }); // back to the beginning
        }
        if (waitLoop) {
            waitLoop->quit();
        }
        if (notifyPending) {
            notifyPending = false;
            const unsigned queuedFor = generation;
            QTimer::singleShot(0, &context, [this, queuedFor] {
                if (queuedFor == generation && self->OnNotify) {
                    RunHandler([this] { self->OnNotify(self); });
                }
            });
        }
    }

    void Halt() {
        endTimer.stop();
        playing = false;
        silent = false;
        notifyPending = false;
        if (waitLoop) {
            waitLoop->quit();
        }
    }
};

TMediaPlayer::TMediaPlayer(TComponent* owner) : TControl(owner), d_(std::make_unique<Impl>(this)) {
    SetWidget(new QWidget());
    SetVisible(false);
}

TMediaPlayer::~TMediaPlayer() = default;

bool TMediaPlayer::Open() {
    Close();
    QFile file(QFile::decodeName(QByteArray::fromStdString(fileName_)));
    if (fileName_.empty() || !file.open(QIODevice::ReadOnly)) {
        return false;
    }
    // A pipe's header would be taken from the bytes the backend is to play, and reading it could
    // wait for the writer.
    d_->lengthMs = file.isSequential() ? -1 : WaveLengthMs(file);
    file.close();
    d_->EnsureBackend();
    d_->failed = false;
    d_->atEnd = false;
    d_->open = true;
    d_->Post([source = ++d_->generation, url = QUrl::fromLocalFile(file.fileName())](Backend& b) {
        b.source = source;
        b.player->setSource(url);
    });
    return true;
}

bool TMediaPlayer::IsOpen() const {
    return d_->open;
}

bool TMediaPlayer::Playing() const {
    return d_->playing;
}

int TMediaPlayer::Length() const {
    return d_->open ? d_->lengthMs : -1;
}

void TMediaPlayer::Play() {
    if (notify_) {
        d_->notifyPending = true;
        notify_ = false;
    }
    if (!d_->playing) {
        d_->Start(d_->atEnd && !autoRewind_);
        d_->atEnd = false;
    }
    if (wait_ && d_->playing) {
        QEventLoop loop;
        d_->waitLoop = &loop;
        loop.exec();
        d_->waitLoop = nullptr;
    }
}

void TMediaPlayer::Stop() {
    if (!d_->playing) {
        return;
    }
    if (d_->backend && !d_->silent) {
        d_->Post([](Backend& b) { b.player->pause(); });
    }
    d_->Halt();
}

void TMediaPlayer::Close() {
    d_->Halt();
    ++d_->generation;
    if (d_->backend) {
        d_->Post([source = d_->generation](Backend& b) {
            b.source = source;
            b.player->stop();
            b.player->setSource(QUrl());
        });
    }
    d_->open = false;
    d_->failed = false;
    d_->atEnd = false;
    d_->lengthMs = -1;
}
