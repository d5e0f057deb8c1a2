#include "platform/forms/MediaPlayer.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include <QAudioOutput>
#include <QEventLoop>
#include <QFile>
#include <QMediaPlayer>
#include <QTimer>
#include <QUrl>
#include <QWidget>

namespace {

// How long a sound of unknown length is taken to last when it cannot be played.
constexpr int kUnknownLengthMs = 1000;
// How long a real playback may run past its expected end, or stand still, before it counts as
// ended.
constexpr int kStallMs = 2000;

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

} // namespace

struct TMediaPlayer::Impl {
    TMediaPlayer* self;
    QObject context;
    std::unique_ptr<QAudioOutput> output;
    std::unique_ptr<QMediaPlayer> player;
    QTimer endTimer;
    QEventLoop* waitLoop = nullptr;
    bool open = false;
    bool playing = false;
    bool silent = false; // the playback under way is the timer alone
    bool failed = false; // the backend cannot play the open file
    bool atEnd = false;  // the last playback ran to its end
    bool notifyPending = false;
    int lengthMs = -1;
    qint64 lastPosition = -1;
    unsigned generation = 0; // a notification queued before a Close or Open is dropped

    explicit Impl(TMediaPlayer* owner) : self(owner) {
        endTimer.setSingleShot(true);
        QObject::connect(&endTimer, &QTimer::timeout, &context, [this] { TimerFired(); });
    }

    ~Impl() {
        // The backend reports its last state changes while it goes; nobody is listening then.
        if (player) {
            QObject::disconnect(player.get(), nullptr, &context, nullptr);
            player.reset();
        }
    }

    void EnsurePlayer() {
        if (player) {
            return;
        }
        player = std::make_unique<QMediaPlayer>();
        // An output is attached even when no device is listed: the backend then plays into its
        // default sink, or fails, and either way the playback ends.
        output = std::make_unique<QAudioOutput>();
        player->setAudioOutput(output.get());
        QObject::connect(player.get(), &QMediaPlayer::mediaStatusChanged, &context,
                         [this](QMediaPlayer::MediaStatus status) {
                             if (status == QMediaPlayer::EndOfMedia && playing && !silent) {
                                 Finish();
                             } else if (status == QMediaPlayer::InvalidMedia) {
                                 Failed();
                             }
                         });
        QObject::connect(player.get(), &QMediaPlayer::errorOccurred, &context,
                         [this](QMediaPlayer::Error, const QString&) { Failed(); });
        QObject::connect(player.get(), &QMediaPlayer::durationChanged, &context, [this](qint64 ms) {
            if (lengthMs < 0 && ms > 0) {
                lengthMs = int(std::min<qint64>(ms, INT32_MAX));
                if (playing && !silent) {
                    ArmWatch();
                }
            }
        });
    }

    // The rest of the playback goes on in silence.
    void Failed() {
        failed = true;
        if (playing && !silent) {
            GoSilent(lengthMs >= 0 ? std::max<qint64>(0, lengthMs - player->position()) : kUnknownLengthMs);
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
            ms += std::max<qint64>(0, lengthMs - player->position());
        }
        endTimer.start(int(std::min<qint64>(ms, INT32_MAX)));
    }

    void TimerFired() {
        if (!playing) {
            return;
        }
        if (!silent) {
            const qint64 position = player->position();
            const bool moving =
                player->playbackState() == QMediaPlayer::PlayingState && position > lastPosition;
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
            player->play();
            if (playing && !silent) {
                ArmWatch();
            }
        }
    }

    void Finish() {
        endTimer.stop();
        playing = false;
        silent = false;
        atEnd = true;
        if (player) {
            player->stop(); // back to the beginning
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
    d_->lengthMs = WaveLengthMs(file);
    file.close();
    d_->EnsurePlayer();
    d_->failed = false;
    d_->atEnd = false;
    d_->open = true;
    d_->player->setSource(QUrl::fromLocalFile(file.fileName()));
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
    if (d_->player && !d_->silent) {
        d_->player->pause();
    }
    d_->Halt();
}

void TMediaPlayer::Close() {
    d_->Halt();
    ++d_->generation;
    if (d_->player) {
        d_->player->stop();
        d_->player->setSource(QUrl());
    }
    d_->open = false;
    d_->failed = false;
    d_->atEnd = false;
    d_->lengthMs = -1;
}
