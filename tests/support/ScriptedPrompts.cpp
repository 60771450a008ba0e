#include "support/ScriptedPrompts.h"  // the prompts live in the header; the fuzzers build this
