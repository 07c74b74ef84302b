// placeholder until the render tool lands
int main() { return 0; }
