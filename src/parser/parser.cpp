// Placeholder until the parser lands.
