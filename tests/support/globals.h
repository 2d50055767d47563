#pragma once
// The process-wide state a test starts from, reset in one place so that no
// test sees what an earlier one left: the program's state, the message
// table and the message sets, the language targets, the frame
// registrations and the chooser's flags.
namespace voxa::test {

void resetGlobals();

}  // namespace voxa::test
