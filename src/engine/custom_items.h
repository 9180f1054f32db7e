// The last two groups of a run: the user's custom items (cusd.dat) and the
// enabled plug-ins, executed through the erase primitives so that every
// safety rule of the built-in items holds for them too.
#pragma once

#include "engine/catalogue.h"
#include "plugins/plugin_files.h"

namespace nv::engine {

// Gate Custom/Custom. Row "Custom Item"; "Fail, Can't find file!" without
// cusd.dat. Files and folders the look-up finds are counted, then deleted
// without force.
void RunCustomItems(RunContext& ctx);

// Every enabled plug-in of the plug-in folder in list order, each as a row
// "Cleaning <name>" ... "Done" ("Done, 2 lines refused" when the path or
// key rule refused a target of some of its lines) plus 1 key and 50000 bytes when it removed
// something (a plug-in that removed nothing counts nothing). The list is read
// here, never asked for. A plug-in whose detection fails here is left out;
// one whose program runs ([close]) is skipped by the run's filter
// ("Skipped: X is running"), one that cannot run at all (Plugin::Fault) "Fail, <why>"; neither counts
// anything.
void RunPlugins(RunContext& ctx);

// Runs the cleaning lines of one plug-in file: all regtree lines, then reg
// and regkey, then file, fileext, folder and filekey lines, all guarded by
// its exclusions. Lines with too few fields or a root outside the signed
// 32-bit range are skipped; lines aimed at a protected key or folder, or
// with ".." in a path, are refused and reported.
struct PluginOutcome {
    size_t removed = 0;       // targets removed (or, in a preview, that would be)
    size_t refusedLines = 0;  // lines with a target the path or key rule refused
};
PluginOutcome processshell(RunContext& ctx, const plugins::Plugin& plugin, const std::vector<plugins::Command>& commands);

// A plug-in row's final status: "Done", "Done, 1 line refused", "Done, N lines refused".
std::wstring DoneText(size_t refusedLines);

}  // namespace nv::engine
