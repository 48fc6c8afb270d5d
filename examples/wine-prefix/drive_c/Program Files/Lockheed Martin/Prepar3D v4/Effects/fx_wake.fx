// A stand-in for one of the simulator's own effect files.
[Library Effect]
Lifetime=5
