#pragma once

class QPrinter;

// The application's printer, as set up by the printer dialog and used by every print command.
QPrinter &sharedPrinter();
