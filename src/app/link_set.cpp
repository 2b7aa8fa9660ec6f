#include "app/link_set.h"

#include "links/error_reporter.h"
#include "links/midi_backend.h"
#include "links/midi_link.h"
#include "links/network_link.h"
#include "links/send_path.h"
#include "links/serial_link.h"

#include <algorithm>

namespace varento {

LinkSet::LinkSet(Interaction& interaction, QObject* parent)
    : QObject(parent), interaction_(interaction),
      network_(std::make_unique<NetworkLink>(interaction_)),
      midi_(std::make_unique<MidiLink>(interaction_, makeRtMidiBackend())),
      serial_(std::make_unique<SerialLink>(interaction_)) {
    for (FrameLink* link :
         {static_cast<FrameLink*>(network_.get()), static_cast<FrameLink*>(midi_.get()),
          static_cast<FrameLink*>(serial_.get())}) {
        connect(link, &FrameLink::frameReceived, this, [this, link](const QByteArray& frame) {
            // Only the selected link speaks to the session.
            if (open_ && link == selected()) {
                emit frameReceived(frame);
            }
        });
    }
    for (FrameLink* link :
         {static_cast<FrameLink*>(network_.get()), static_cast<FrameLink*>(midi_.get()),
          static_cast<FrameLink*>(serial_.get())}) {
        connect(link, &FrameLink::sendFinished, this, &LinkSet::finishPending);
    }
    connect(network_.get(), &NetworkLink::opened, this, &LinkSet::opened);
    connect(network_.get(), &NetworkLink::statusText, this,
            [this](const QString& text) { emit statusTextChanged(0, text); });
    connect(network_.get(), &NetworkLink::daemonAnnounced, this, &LinkSet::daemonAnnounced);
    connect(network_.get(), &NetworkLink::daemonWithdrawn, this, &LinkSet::daemonWithdrawn);
    connect(network_.get(), &NetworkLink::otherDaemonFrame, this,
            [this](int index, const QByteArray& frame) {
                if (open_ && selected() == network_.get()) {
                    emit otherDaemonFrame(index, frame);
                }
            });
}

LinkSet::~LinkSet() = default;

void LinkSet::setOverride(FrameLink* link) {
    if (override_ != nullptr) {
        disconnect(override_, nullptr, this, nullptr);
    }
    override_ = link;
    pendingFrames_.clear();
    if (link != nullptr) {
        connect(link, &FrameLink::sendFinished, this, &LinkSet::finishPending);
        connect(link, &FrameLink::frameReceived, this, [this](const QByteArray& frame) {
            if (open_) {
                emit frameReceived(frame);
            }
        });
    }
}

FrameLink* LinkSet::selected() const {
    if (override_ != nullptr) {
        return override_;
    }
    if (midiMode_) {
        return midi_.get();
    }
    if (!networkMode_) {
        return serial_.get();
    }
    return network_.get();
}

int LinkSet::open(bool midiMode, bool networkMode) {
    midiMode_ = midiMode;
    networkMode_ = networkMode && !midiMode;
    int result = 0;
    if (override_ != nullptr) {
        result = 0;
    } else if (midiMode_) {
        result = midi_->open();
        if (result == 0) {
            midi_->startInput();
        }
    } else if (!networkMode_) {
        result = serial_->open();
    } else {
        result = network_->open();
        if (result == 0) {
            open_ = true;
            return kOpenPending;
        }
    }
    open_ = result == 0;
    return result;
}

void LinkSet::finishPending(int result) {
    if (pendingFrames_.empty()) {
        return; // sent before a close
    }
    const QByteArray frame = std::move(pendingFrames_.front());
    pendingFrames_.pop_front();
    emit frameSent(frame, result);
    emit sendFinished(result);
}

void LinkSet::close() {
    open_ = false;
    pendingFrames_.clear();
    if (override_ != nullptr) {
        return;
    }
    network_->close();
    midi_->close();
    serial_->close();
}

bool LinkSet::findDevicesAgain(bool midiMode) {
    return override_ != nullptr || !midiMode || midi_->findChosenDevices();
}

int LinkSet::send(std::span<const std::uint8_t> frame) {
    if (!open_) {
        return 0;
    }
    int result = 0;
    if (override_ != nullptr) {
        result = override_->post(frame);
    } else {
        FrameBuffer buffer{};
        const std::size_t length = std::min(frame.size(), buffer.size());
        std::copy_n(frame.begin(), length, buffer.begin());
        const SendLinks links{midi_.get(), network_.get(), serial_.get()};
        const LinkFlags flags{midiMode_ ? 1 : 0, networkMode_ ? 1 : 0};
        result = sendFrame(buffer, static_cast<std::int32_t>(length), open_, flags, links,
                           Delivery::HandOver);
    }
    QByteArray bytes(reinterpret_cast<const char*>(frame.data()),
                     static_cast<qsizetype>(frame.size()));
    if (result == FrameLink::kSendPending) {
        pendingFrames_.push_back(std::move(bytes));
    } else {
        emit frameSent(bytes, result);
    }
    return result;
}

int LinkSet::sendThrough(int daemon, std::span<const std::uint8_t> frame) {
    if (!open_ || override_ != nullptr || !networkMode_ || midiMode_ || daemon < 0 ||
        daemon == network_->selectedDaemon()) {
        return send(frame);
    }
    const int result = network_->sendTo(daemon, frame);
    emit frameSent(QByteArray(reinterpret_cast<const char*>(frame.data()),
                              static_cast<qsizetype>(frame.size())),
                   result);
    return result;
}

void LinkSet::reportError(int code) {
    varento::reportError(interaction_, code);
}

bool LinkSet::reachesUnits() const {
    return override_ != nullptr || !networkMode_ || network_->isActive();
}

int LinkSet::daemonCount() const {
    return override_ == nullptr && networkMode_
               ? static_cast<int>(network_->daemons().liveIndices().size())
               : 1;
}

int LinkSet::sweepPosition() const {
    if (override_ != nullptr || !networkMode_) {
        return 0;
    }
    const std::vector<int> live = network_->daemons().liveIndices();
    const auto it = std::find(live.begin(), live.end(), network_->selectedDaemon());
    return it == live.end() ? 0 : static_cast<int>(it - live.begin());
}

int LinkSet::daemonAtPosition(int position) const {
    if (override_ != nullptr || !networkMode_) {
        return 0;
    }
    const std::vector<int> live = network_->daemons().liveIndices();
    return position >= 0 && position < static_cast<int>(live.size())
               ? live[static_cast<std::size_t>(position)]
               : position;
}

int LinkSet::selectedDaemon() const {
    return override_ == nullptr && networkMode_ ? network_->selectedDaemon() : 0;
}

void LinkSet::selectDaemon(int index) {
    if (override_ == nullptr && networkMode_) {
        network_->selectDaemon(index);
    }
}

QString LinkSet::endpointText(bool midiMode, bool networkMode) const {
    if (midiMode) {
        return midi_->endpointText();
    }
    if (networkMode) {
        return " ";
    }
    return serial_->selectedPortName();
}

QString LinkSet::linkText(bool midiMode, bool networkMode) const {
    if (midiMode) {
        return "\tMIDI";
    }
    if (networkMode) {
        return "\tNetwork";
    }
    return SerialLink::baudRateText(serial_->baudRate());
}

} // namespace varento
