[Library Effect]
Lifetime=5
