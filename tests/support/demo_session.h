#pragma once

#include "app/session.h"
#include "links/demo_link.h"
#include "support/recording_link.h"
#include "support/scripted_interaction.h"
#include "support/wait.h"
#include "unit/emulated_rack.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace varento::testing {

// A session in a temporary data folder with scripted answers; connectToDemo puts
// emulated units behind a recorder of every frame sent.
class DemoSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        session = std::make_unique<Session>(
            ui, SessionPaths{dir.path().toStdString(), dir.path().toStdString()});
    }

    // Returns once every unit has been gathered.
    void connectToDemo(const std::vector<int>& models = {}) {
        session->useDemoUnits(models);
        recorder = std::make_unique<RecordingLink>(*session->demoLink());
        session->useLinkOverride(recorder.get());
        session->connectOrDisconnect();
        ASSERT_TRUE(session->state().isConnected);
        ASSERT_EVENTUALLY(session->unitsGathered(), 10000);
    }

    emu::EmulatedRack& rack() { return session->demoLink()->rack(); }

    QTemporaryDir dir;
    ScriptedInteraction ui;
    std::unique_ptr<Session> session;
    std::unique_ptr<RecordingLink> recorder;
};

} // namespace varento::testing
