// Replaced by the tool's own sources.
