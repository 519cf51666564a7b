// The converter comes with its own work.
