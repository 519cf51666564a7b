// Linked with one layer's library whole and the layers below it: the link
// fails when the layer calls anything above it. Never run.
int main() { return 0; }
