#pragma once
// The song as an editor sees it: the assembled module together with where
// each of its elements was written (sequence entries, pattern rows, macro
// steps, sounds, blocks), so that a view of the song can turn an edit of one
// element into a text change at the right place. Building the view never
// changes the module the source assembles to.
#include <string>
#include <vector>

#include "assembler.h"

struct SongBlockView {
    BlockKind kind = BlockKind::Format;
    std::string name;    // empty for format and sequence
    SourceSpan header;   // the directive line's tokens
    int lastLine = 0;    // the block runs from header.line to here
};

// One macro command decoded from its bytes. `values` by op:
//   volume: {volume}          note: {relative note}      hold: {ticks}
//   slide (vol): {speed, ticks}    slide (freq): {speed, ticks, note}
//   setwave, changewave: {sample table entry, note}      vibrato: {speed, depth, note}
//   stopvoice: {note}          jumpmacro: {macro slot}   loop: {target step}   end: {}
// A note with `fixedNote` is a fixed note index (C-1 = 0) instead of a relative one.
struct MacroStepView {
    const char* op = "";
    std::vector<int> values;
    std::string target;  // setwave/changewave: the sound's name; jumpmacro: the macro's
    bool fixedNote = false;
    SourceSpan text;     // Ramp's values share the Ramp's span
    SourceSpan label;    // "name:" marking the step (a Loop's target), when written
};

struct MacroView {
    std::vector<MacroStepView> steps;
};

struct SongView {
    AssembledModule module;
    std::vector<SongBlockView> blocks;
    // Index into `blocks` of each element, in the module's order.
    std::vector<size_t> patternBlocks, freqBlocks, volBlocks, sampleBlocks, waveBlocks;
    std::vector<MacroView> freqMacros, volMacros;
    std::vector<std::string> soundNames;  // by sample table entry
};

// Assembles `text` as AssembleSource does and fills `view`; false when the
// source is wrong (the problems are in the log, the view is then empty).
bool AssembleSongView(const std::string& text, ProblemLog& problems, SongView& view);

// The view as JSON (spans are [line, column, end], [0,0,0] when not written):
// {"format", "blocks":[{kind,name,header,lines:[first,last]}],
//  "sequence":[{line,speed,speedAt,copy,repeatAt,voices:[{pattern,transpose,soundTranspose,at}]}],
//  "patterns":[{name,inst,rows,block,lines:[{row,count,note,instrument,written,porta,amount,
//               at,noteAt,instrumentAt,portaAt,repeatAt}]}],
//  "freq":[{name,block,steps:[{op,values,at[,labelAt][,target][,fixed:true]}]}],
//  "vol":[{name,block,freq,speed,vibrato,steps}],
//  "sounds":[{name,entry,kind,block,words,repeatStart,repeatWords,values}]}
std::string SongViewAsJson(const SongView& view);
