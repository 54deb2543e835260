#pragma once

// Carrying out a plan: the one part of a request pass that does what a link
// asks for, once the gateway's verdict allows it: it asks the trust
// question, writes the plan's files, hands the password over and runs the
// command, its watcher handed the pass line. Around it the pass only gets
// ready and keeps count: it removes what earlier launches left, reads
// configuration.ini, asks the terminal's ssh its release (`ssh -V`), and
// writes the pass log and the history.

#include "core/LaunchHistory.h"
#include "core/Platform.h"
#include "core/config/Configuration.h"
#include "core/plan/Plan.h"
#include "core/signing/LinkSignature.h"

namespace torvale {

// In order: the debug alert of the URL; the gateway's refusal of the link
// itself (DecideLink); the plan's refusal, or the gateway's verdict on its
// host (DecideGateway) carried out: refused, allowed, or the trust question
// asked; the files; the debug alert of the line; the command. Nothing is
// written or run before the decision, nor for a plan that names no
// destination. Answers the record of it.
LaunchRecord Execute(const Plan& plan, const Configuration& config, const LinkSignature& signature,
                     Platform& platform);

}  // namespace torvale
