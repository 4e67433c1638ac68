// The tester dialog, opened by Run once the version gate has passed.
#pragma once

// Runs one opening of the tester; 1 when its dialog has closed.
int RunTester();
