-- a while loop calling a function that returns, 3M calls
local function f(x) return x + 1 end
local i = 0
while i < 3000000 do i = f(i) end
print(i)
