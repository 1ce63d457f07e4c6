#include "tracerun.h"

#include "keycodes.h"
#include "movieplayer.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>

namespace sky::swf {

bool readInputEvents(const QByteArray &json, std::vector<InputEvent> &out, QString *error)
{
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (!doc.isArray()) {
        if (error)
            *error = parseError.error != QJsonParseError::NoError ? parseError.errorString()
                                                                  : QStringLiteral("not a list of events");
        return false;
    }
    // Typing shown before it is committed is nothing the movie sees, and
    // the characters typed come with their keys.
    static const std::pair<const char16_t *, InputEvent::Type> types[] = {
        {u"MouseMove", InputEvent::Type::MouseMove},     {u"MouseDown", InputEvent::Type::MouseDown},
        {u"MouseUp", InputEvent::Type::MouseUp},         {u"MouseWheel", InputEvent::Type::MouseWheel},
        {u"KeyDown", InputEvent::Type::KeyDown},         {u"KeyUp", InputEvent::Type::KeyUp},
        {u"TextInput", InputEvent::Type::TextInput},     {u"ImePreedit", InputEvent::Type::TextInput},
        {u"TextControl", InputEvent::Type::TextCommand}, {u"SetClipboardText", InputEvent::Type::Clipboard},
        {u"FocusLost", InputEvent::Type::FocusLost},     {u"FocusGained", InputEvent::Type::FocusGained},
        {u"Wait", InputEvent::Type::Wait},
    };
    out.clear();
    for (const QJsonValue &item : doc.array()) {
        const QJsonObject o = item.toObject();
        const QString type = o.value(u"type").toString();
        InputEvent event;
        bool known = false;
        for (const auto &[name, value] : types)
            if (type == name) {
                event.type = value;
                known = true;
            }
        if (!known) {
            if (error)
                *error = QStringLiteral("unknown event type \"%1\"").arg(type);
            return false;
        }
        const QJsonArray pos = o.value(u"pos").toArray();
        if (pos.size() == 2)
            event.pos = QPointF(pos[0].toDouble(), pos[1].toDouble());
        if (o.contains(u"btn"))
            event.button = o.value(u"btn").toString();
        // A named key, or {"Char": "a"} for the key of a character.
        const QJsonValue key = o.value(u"key");
        event.key = key.isObject() ? key.toObject().value(u"Char").toString() : key.toString();
        event.text = o.value(event.type == InputEvent::Type::TextCommand ? u"code" : u"text").toString();
        event.lines = o.value(u"lines").toInt();
        out.push_back(event);
    }
    return true;
}

bool readInputFile(const QString &path, std::vector<InputEvent> &out, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return readInputEvents(file.readAll(), out, error);
}

bool InputReplay::toNextWait(MoviePlayer &player, const std::function<bool()> &stop)
{
    while (next_ < events_.size() && !(stop && stop())) {
        const InputEvent &event = events_[next_++];
        if (event.type == InputEvent::Type::Wait)
            return true;
        deliver(player, event);
    }
    return false;
}

void InputReplay::deliver(MoviePlayer &player, const InputEvent &event)
{
    const std::pair<int, int> key = movieKeyNamed(event.key);
    const bool button = event.type == InputEvent::Type::MouseDown || event.type == InputEvent::Type::MouseUp;
    if (button && event.button != u"Left") {
        const bool down = event.type == InputEvent::Type::MouseDown;
        player.input([&](ScriptRuntime &scripts) {
            if (pointer_ != event.pos)
                scripts.mouseMove(event.pos);
            scripts.otherMouseButton(event.button == u"Right" ? 2 : 4, down);
        });
        pointer_ = event.pos;
        return;
    }
    if (button || event.type == InputEvent::Type::MouseMove)
        pointer_ = event.pos;
    if (event.type == InputEvent::Type::Clipboard) {
        *clipboard_ = event.text;
        const std::shared_ptr<QString> held = clipboard_;
        player.setClipboard({[held] { return *held; }, [held](const QString &text) { *held = text; }});
        return;
    }
    // The commands that come with no key of their own; the others (Enter,
    // Backspace, the arrows ...) follow the key that already did them.
    static const std::pair<const char16_t *, int> commands[] = {
        {u"SelectAll", 'A'}, {u"Copy", 'C'}, {u"Cut", 'X'}, {u"Paste", 'V'}};
    int command = 0;
    for (const auto &[name, letter] : commands)
        if (event.type == InputEvent::Type::TextCommand && event.text == name)
            command = letter;
    player.input([&](ScriptRuntime &scripts) {
        switch (event.type) {
        case InputEvent::Type::MouseMove: scripts.mouseMove(event.pos); break;
        case InputEvent::Type::MouseDown: scripts.mouseDown(event.pos); break;
        case InputEvent::Type::MouseUp: scripts.mouseUp(event.pos); break;
        case InputEvent::Type::MouseWheel: scripts.mouseWheel(event.lines); break;
        case InputEvent::Type::TextCommand:
            if (command)
                scripts.fieldCommand(command);
            break;
        case InputEvent::Type::KeyDown: scripts.keyDown(key.first, key.second); break;
        case InputEvent::Type::KeyUp: scripts.keyUp(key.first, key.second); break;
        case InputEvent::Type::FocusLost: scripts.windowFocusLost(); break;
        case InputEvent::Type::TextInput:
        case InputEvent::Type::Clipboard:
        case InputEvent::Type::FocusGained:
        case InputEvent::Type::Wait: break;
        }
    });
}

TraceResult traceMovie(const QString &path, int ticks, const std::vector<InputEvent> &events)
{
    TraceResult result;
    MoviePlayer player;
    // The first tick runs as the movie is loaded, so the sink goes in first.
    player.setTraceSink([&result](const QString &text) {
        QString t = text;
        t.replace(u'\r', u'\n');
        // The log is UTF-8: half a surrogate pair cannot be written and
        // prints as the replacement character, as the player's log has it.
        for (qsizetype i = 0; i < t.size(); ++i) {
            const bool pairStart = t[i].isHighSurrogate() && i + 1 < t.size() && t[i + 1].isLowSurrogate();
            if (pairStart)
                ++i;
            else if (t[i].isSurrogate())
                t[i] = QChar::ReplacementCharacter;
        }
        result.lines += t.split(u'\n');
    });
    if (!player.load(path)) {
        result.error = player.errorString();
        return result;
    }
    result.loaded = true;
    const double frameRate = player.movie()->frameRate() > 0 ? player.movie()->frameRate() : 12;
    const int rate = player.sound()->mixer().outputRate();
    qint64 pulled = 0;
    std::vector<float> mixed;
    // The sound of the tick just run, up to the clock's next tick.
    const auto listen = [&] {
        const qint64 due = qint64(std::ceil((result.ticksRun) * rate / frameRate));
        mixed.assign(size_t(due - pulled) * 2, 0.0f);
        player.mixSound(mixed.data(), due - pulled);
        pulled = due;
        float peak = 0;
        for (float sample : mixed)
            peak = std::max(peak, std::abs(sample));
        result.peaks.push_back(peak);
    };
    result.ticksRun = 1;
    listen();
    const std::function<bool()> quit = [&] { return player.scripts() && player.scripts()->quitRequested(); };
    InputReplay replay(events);
    while (replay.toNextWait(player, quit)) {
        if (result.ticksRun >= ticks)
            continue;
        player.tick();
        ++result.ticksRun;
        listen();
    }
    while (!quit() && result.ticksRun < ticks) {
        player.tick();
        ++result.ticksRun;
        listen();
    }
    result.abandoned = player.scripts() ? player.scripts()->abandonedScripts() : 0;
    return result;
}

} // namespace sky::swf
