#pragma once
// The automatic numbering passes over the terminal list (shared IDs, shared
// MACs), kept apart from the widgets.
