// The command line's window comes with the command-line work.
