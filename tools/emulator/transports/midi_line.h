#pragma once

#include "line_driver.h"

#include "unit/frame_assembler.h"
#include "unit/options.h"

#include <QObject>

#include <memory>
#include <vector>

class RtMidiIn;
class RtMidiOut;

namespace varento::emu {

// The units behind a virtual MIDI port pair: each frame is one SysEx message.
class MidiLine : public QObject {
    Q_OBJECT
public:
    explicit MidiLine(const Options& options, QObject* parent = nullptr);
    ~MidiLine() override;

    bool start(QString& error);
    QString apiName() const { return api_; }

private:
    static void onMessage(double stamp, std::vector<unsigned char>* message, void* self);
    bool openWith(int api, QString& error);
    void received(const std::vector<unsigned char>& bytes);

    Options options_;
    QString api_;
    std::unique_ptr<RtMidiIn> in_;
    std::unique_ptr<RtMidiOut> out_;
    FrameAssembler assembler_;
    LineDriver* driver_ = nullptr;
};

} // namespace varento::emu
