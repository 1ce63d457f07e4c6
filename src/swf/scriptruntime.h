#pragma once

#include "avm1/vm.h"

#include <functional>

namespace sky::swf {

class MoviePlayer;

// Runs a movie's ActionScript for a MoviePlayer: the frame scripts of the
// main timeline, and what they ask of the player (trace, fscommand, going
// to frames). The main timeline is clip 1.
class ScriptRuntime : public avm1::Host {
public:
    explicit ScriptRuntime(MoviePlayer &player);

    // Runs the scripts of the frame the player shows, then those of the
    // frames the scripts jump to (a bounded number of jumps).
    void runFrame();

    std::function<void(const QString &)> onTrace;
    bool quitRequested() const { return quit_; }
    int abandonedScripts() const { return vm_.abandoned; }

    // Host
    void trace(const QString &text) override;
    void fsCommand(const QString &command, const QString &args) override;
    avm1::Object *clipObject(int clip) override;
    QString clipTarget(int clip) override;
    int clipRoot() override { return rootClip; }
    int clipParent(int clip) override;
    int clipChild(int clip, const QString &name) override;
    avm1::Value clipProperty(int clip, int index) override;
    void setClipProperty(int clip, int index, const avm1::Value &value) override;
    void gotoFrame(int clip, int frame, bool play) override;
    bool gotoLabel(int clip, const QString &label, bool play) override;
    void setPlaying(int clip, bool playing) override;
    void stepFrame(int clip, int delta) override;
    int framesLoaded(int clip) override;
    int frameOfLabel(int clip, const QString &label) override;
    std::vector<std::shared_ptr<const QByteArray>> frameScripts(int clip, int frame) override;
    void duplicateClip(int clip, const QString &name, int depth) override;
    void removeClip(int clip) override;
    void startDrag(int clip, bool lockCenter, const QRectF *bounds) override;
    void stopDrag() override;
    double time() override;

private:
    static constexpr int rootClip = 1;
    void runScriptsOf(int frame);

    MoviePlayer &player_;
    avm1::Vm vm_;
    avm1::Object *root_ = nullptr;
    std::vector<int> pendingFrames_;
    bool quit_ = false;
    std::vector<bool> initDone_;
};

} // namespace sky::swf
