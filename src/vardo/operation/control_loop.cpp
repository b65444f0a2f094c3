#include "vardo/operation/control_loop.h"

#include "common/string_table.h"
#include "vardo/base/command_ids.h"
#include "vardo/layout/layout_model.h"

namespace vardo {

Operation::Operation(Frontend& frontend, Controller& controller, SpeedControl& speed,
                     TrainState& trains, SoundCalls& sounds, layout::LayoutModel* model)
    : frontend_(frontend), controller_(controller), speed_(speed), trains_(trains),
      sounds_(sounds), model_(model), clock_(localTimeOfDay)
{
}

Operation::~Operation() { shutdown(); }

void Operation::setSettings(const OperationSettings& settings)
{
    std::lock_guard lock(settingsMutex_);
    settings_ = settings;
}

OperationSettings Operation::settings() const
{
    std::lock_guard lock(settingsMutex_);
    return settings_;
}

bool Operation::startOperation(const Program& program)
{
    {
        std::unique_lock lock(threadMutex_);
        if (!finished_)
            return false;
        if (thread_.joinable())
            thread_.join();
    }
    program_ = program;
    operating_ = true;
    endReason_ = EndReason::None;
    current_ = 0;
    preempt_ = -1;
    waitActive_ = false;
    frontend_.setCaption(program_.title());
    trains_.setAllUnknown();
    progressEvent.reset();
    trains_.positionEvent.reset();
    controller_.performAction(ActionStop);
    if (ext_ && ext_->isOpen() && ext_->drivesSpeed())
        speed_.set(1.0);
    const int points = model_ ? model_->pointCount() : 0;
    for (int k = 0; k < points && k < kActionPoints; ++k)
        controller_.performAction(ActionPoint1Straight + 2 * k);
    sounds_.stopAll();
    for (int i = 0; i < program_.count; ++i) {
        ProgramCommand& c = program_.commands[size_t(i)];
        if (c.is(CommandKind::Repeat))
            c.repeatLeft = c.value1;
    }
    for (int i = 0; i < program_.count; ++i) {
        const ProgramCommand& c = program_.commands[size_t(i)];
        if (c.is(CommandKind::SoundOutput) && sounds_.prepare(c.value1) < 0) {
            stopOperation(EndReason::SoundFailed);
            controller_.performAction(ActionLampOff);
            return false;
        }
    }
    std::lock_guard lock(threadMutex_);
    finished_ = false;
    thread_ = std::thread(&Operation::run, this);
    return true;
}

void Operation::stopOperation(EndReason reason)
{
    sounds_.stopAll();
    EndReason none = EndReason::None;
    if (operating_.exchange(false))
        endReason_.compare_exchange_strong(none, reason);
    waitActive_ = false;
    progressEvent.set();
    trains_.positionEvent.set();
    frontend_.setCaption(common::messageText(common::msg::AppTitle));
}

bool Operation::waitForEnd(int timeoutMs)
{
    std::unique_lock lock(threadMutex_);
    return finishedCv_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                [this] { return finished_; });
}

void Operation::shutdown()
{
    if (operating_)
        stopOperation(EndReason::Stopped);
    std::thread worker;
    {
        std::lock_guard lock(threadMutex_);
        worker = std::move(thread_);
    }
    // Joined without the lock: the loop takes it for its last step.
    if (worker.joinable())
        worker.join();
}

int Operation::chainHeadDelay(const ProgramCommand& head) const
{
    if (head.is(CommandKind::Timer))
        return head.value1;
    if (!head.is(CommandKind::AlarmTime))
        return 0;
    if (program_.virtualTime < 0) {
        const TimeOfDay now = clock_();
        return ((head.value1 - now.hour) * 60 + head.value2 - now.minute) * 60 - now.second;
    }
    return (head.value1 * 60 + head.value2 - program_.virtualTime) * 60;
}

void Operation::armTimers()
{
    for (int slot = 0; slot < program_.count; ++slot) {
        const ProgramCommand& c = program_.commands[size_t(slot)];
        if (!program_.isChainHead(slot))
            continue;
        const int delay = chainHeadDelay(c);
        // An alarm time already past never fires.
        if (delay <= 0)
            continue;
        armed_[size_t(slot)] = true;
        frontend_.startTimer(kChainTimerBase + slot, delay * 1000);
    }
}

void Operation::killTimers()
{
    for (int slot = 0; slot < kProgramSlots; ++slot) {
        if (armed_[size_t(slot)].exchange(false))
            frontend_.killTimer(kChainTimerBase + slot);
    }
}

bool Operation::onTimer(int timerId)
{
    const int slot = timerId - kChainTimerBase;
    if (slot < 0 || slot >= kProgramSlots)
        return false;
    frontend_.killTimer(timerId);
    if (!armed_[size_t(slot)].exchange(false) || !operating_)
        return true;
    preempt_ = slot;
    waitActive_ = false;
    progressEvent.set();
    // A position wait ends at the next position update; with the train
    // standing none may come, so wake it now.
    trains_.positionEvent.set();
    return true;
}

void Operation::run()
{
    armTimers();
    while (operating_) {
        const int head = preempt_.exchange(-1);
        if (head >= 0) {
            // The event was set for this preemption; the new chain starts clean.
            progressEvent.reset();
            current_ = head;
        }
        const int successor = successorOf(current_.load());
        if (successor == -2)
            continue;
        if (successor == -1) {
            progressEvent.wait();
            continue;
        }
        current_ = successor;
        frontend_.refreshProgram();
        execute(successor);
    }
    endActions();
}

int Operation::successorOf(int k)
{
    if (!program_.isCommand(k))
        return -1;
    ProgramCommand& c = program_.commands[size_t(k)];
    if (c.link < 0)
        return c.next;
    if (c.is(CommandKind::Repeat)) {
        c.repeatLeft = int16_t(c.repeatLeft - 1);
        return c.repeatLeft <= 0 ? c.next : c.link;
    }
    // A continue-link: during a folder run the next program follows.
    if (folderRunActive_ && folderRunActive_()) {
        stopOperation(EndReason::Program);
        return -2;
    }
    if (!program_.isCommand(c.link) || !program_.reaches(c.link, k))
        return -1;
    if (!program_.walkTakesTime(c.link, k)) {
        progressEvent.wait(kGuardWaitMs);
        if (interrupted())
            return -2;
    }
    return c.link;
}

void Operation::endActions()
{
    killTimers();
    controller_.performAction(ActionStop);
    controller_.clearLamp();
    controller_.publishStatus();
    const bool nextProgram = folderRunActive_ && folderRunActive_();
    {
        std::lock_guard lock(threadMutex_);
        finished_ = true;
        finishedCv_.notify_all();
    }
    // Posted once finished, so that the next program can start at once.
    if (nextProgram)
        frontend_.postCommand(cmd::FolderRun);
}

bool Operation::interrupted() const { return !operating_ || preempt_.load() >= 0; }

} // namespace vardo
