#pragma once
// The game's side of the boundary as bytes: what the game held down and how long each frame lasted,
// and what it answered to each native call, in order. The simulator records a ride as a tape
// (--record-answers); the game fuzzer (tests/fuzz/game_answers.cpp) plays any bytes as one, so that
// a recorded ride is a seed it mutates.
//
// Layout: the INI text (up to the first NUL byte; none means the game folder holds no INI), then one
// record per frame: two bytes of the keys and buttons held (a bit per input of kTapeInputs), the frame
// time as a word, and a word per value the game answers in that frame's calls (three for a vector;
// a count and then one handle per entry for the nearby vehicles; one byte for a deletion: 0 the game
// clears the handle, anything else it leaves it; and for each vehicle list the hook gives, a count and a
// handle each, as a nearby list's). The controls, the frame time and the hashes are
// not answered from the tape but as the game answers them: the control natives from the inputs held
// (the game derives the controls, their presses and releases, and honours the frame's disables),
// GetFrameSeconds with the frame's time in every call of the frame, HashName with the game's hash of
// the text (a function of the text alone). The device the player used last is a word of the tape,
// so that it can flip at any pass or be no boolean at all.
//
// A word is a tag byte, and for some tags more bytes:
//   0x00 zero; 0x01 what this native gave in that slot last time; 0x02 four raw bytes follow;
//   0x03 and an index byte: a handle the game gave before (for a hash, a hash the plug-in asked
//   for); 0x04 and an index byte: that handle dead (its counter one up); 0x05..0x0F the specials
//   (NaN, -NaN, +inf, -inf, the largest float and its negative, the smallest subnormal and its
//   negative, the int limits, -1); 0x10 a new handle; from 0x11 a small number: an integer
//   tag - 0x20 for integers, handles and booleans, (tag - 0x88) / 4 for floats.
// Bytes that run out read as zeros; a tape is played until its bytes run out.

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "host/controls.h"
#include "sim/world/input.h"

namespace sim {

struct NativeCall;
struct FrameInput;

// The inputs a tape records, bit i of a frame's two bytes for kTapeInputs[i]: the keys of the cab's
// keyboard column (F, twice: enter and exit; the pad's Y stands in for the second), and the pad's own
// buttons for the cab.
struct TapeInput {
    InputDevice device;
    const char* name;
};
inline constexpr TapeInput kTapeInputs[] = {
    {Keyboard, "F"}, {Pad, "Y"},     {Keyboard, "W"}, {Keyboard, "S"}, {Keyboard, "SPACEBAR"}, {Keyboard, "A"},
    {Keyboard, "D"}, {Keyboard, "H"}, {Keyboard, "E"}, {Keyboard, "G"}, {Keyboard, "X"},        {Keyboard, "Q"},
    {Pad, "DPAD UP"}, {Pad, "DPAD DOWN"}, {Pad, "X"}, {Pad, "L3"},
};
static_assert(std::size(kTapeInputs) == 16, "a frame's two bytes hold a bit per input");

// What a native's result is to the tape.
enum class AnswerKind : uint8_t { None, Bool, Handle, Hash, Float, Vector, Nearby, Deletion, Control, FrameTime, HashName };
AnswerKind answerKind(uint64_t hash);

class AnswerTapeState {
protected:
    void rememberHandle(int32_t handle);
    void rememberHash(uint32_t hash);
    uint32_t previous(uint64_t hash, size_t slot) const;
    void setPrevious(uint64_t hash, size_t slot, uint32_t word);

    std::vector<int32_t> handles_;  // given by the game, distinct, in order
    std::unordered_set<int32_t> given_;
    std::vector<uint32_t> hashes_;  // the plug-in asked for, distinct, in order
    std::map<std::pair<uint64_t, size_t>, uint32_t> previous_;
    int32_t nextHandle_ = 0;  // the newest handle the tape made up
};

// Writes the tape of a ride as the world answers it.
class AnswerRecorder : public AnswerTapeState {
public:
    explicit AnswerRecorder(const std::optional<std::string>& ini);
    void beginFrame(const std::vector<PhysicalInput>& held, float frameSeconds);
    // After the game answered `call` into `result` (and wrote through its pointers).
    void answered(const NativeCall& call, const uint64_t* result);
    const std::string& bytes() const { return bytes_; }
    // After the hook listed the game's vehicles (worldGetAllVehicles), as a nearby list's words.
    void listed(const int32_t* handles, int32_t count);
    // Records every vehicle list the plug-in is given from now on into this tape (nullptr: stops).
    static void recordListsInto(AnswerRecorder* recorder);

private:
    void word(AnswerKind kind, uint64_t hash, size_t slot, uint32_t value);
    std::string bytes_;
};

// Plays bytes as the game's side: the frames' controls and times, and every answer.
class AnswerPlayer : public AnswerTapeState {
public:
    AnswerPlayer(const uint8_t* data, size_t size);
    // The INI text of the tape, and its frames from where the INI ends.
    static std::pair<std::optional<std::string>, size_t> splitIni(const uint8_t* data, size_t size);

    bool exhausted() const { return next_ >= size_; }
    struct Frame {
        std::vector<PhysicalInput> held;
        float seconds = 0.0f;
    };
    Frame nextFrame();
    // Answers `call` into `result`, the controls and the frame time as `input` holds them.
    void answer(const NativeCall& call, uint64_t* result, const FrameInput& input);
    // The game's vehicle list (worldGetAllVehicles) from the tape: up to `capacity` handles, the count back.
    int32_t list(int32_t* handles, int32_t capacity);
    // Gives the plug-in its vehicle lists from this tape from now on (nullptr: stops).
    static void playListsFrom(AnswerPlayer* player);
    // Deletions of handles the game never gave the plug-in.
    std::vector<std::string> faults;

private:
    std::vector<int32_t> disabled_;  // held off by the plug-in in the current frame
    uint8_t byte();
    uint32_t word(AnswerKind kind, uint64_t hash, size_t slot);
    const uint8_t* data_;
    size_t size_;
    size_t next_ = 0;
    uint32_t lastWord_ = 0;
};

}  // namespace sim
