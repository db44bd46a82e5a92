// qpanel: the host's panel mode as a program of its own.
int panel_main(int argc, char **argv);

int main(int argc, char **argv) { return panel_main(argc, argv); }
