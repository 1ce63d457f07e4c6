#pragma once

#include "value.h"

#include <QByteArray>

#include <deque>
#include <memory>
#include <vector>

namespace sky::swf::avm1 {

// Reads the fields of one action's data.
class ActionData {
public:
    ActionData(const QByteArray &code, int start, int end, int version)
        : code_(code)
        , pos_(start)
        , end_(end)
        , version_(version)
    {
    }

    bool atEnd() const { return pos_ >= end_; }
    int pos() const { return pos_; }
    quint8 u8();
    quint16 u16();
    qint16 s16() { return qint16(u16()); }
    quint32 u32();
    float f32();
    double f64(); // the two halves of a Push double are swapped
    QString string();

private:
    const QByteArray &code_;
    int pos_;
    int end_;
    int version_;
};

// Where an action starts, its code and where its data and the next action are.
struct ActionHeader {
    quint8 code = 0;
    int dataStart = 0;
    int dataEnd = 0;
};

// The action at `pos`; false when it does not fit before `end`.
bool readActionHeader(const QByteArray &code, int pos, int end, ActionHeader &out);

// Decodes one Push value; register and constant references come back as
// `kind` with their index in `index`.
struct PushItem {
    enum Kind { Plain, Register, Constant };
    Kind kind = Plain;
    int index = 0;
    Value value;
};
bool readPushItem(ActionData &data, PushItem &out);

// An action as every run of its block sees it.
struct DecodedAction {
    ActionHeader header;
    bool fits = false;                                     // its data lies inside the block
    std::vector<PushItem> pushes;                          // Push: its values, up to the first bad one
    std::shared_ptr<const std::vector<QString>> constants; // ConstantPool
};

// A block of actions (a frame script, an event's code, the code that holds
// functions) decoded as it runs, each action once: the text of pushed
// values and of constant pools is made once, not on every run.
class DecodedCode {
public:
    DecodedCode(std::shared_ptr<const QByteArray> code, int version);

    const QByteArray &code() const { return *code_; }
    // Whether text is read as UTF-8 (SWF 6 on) or as Latin-1.
    bool utf8() const { return version_ >= 6; }
    // The action at `pos`, null when none fits before `end`.
    const DecodedAction *at(int pos, int end);

private:
    std::shared_ptr<const QByteArray> code_; // held, so that no other block takes its address
    int version_;
    std::vector<const DecodedAction *> slots_; // by offset, null while not decoded
    std::deque<DecodedAction> actions_;
};

} // namespace sky::swf::avm1
