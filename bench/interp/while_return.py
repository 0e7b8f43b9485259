# a while loop calling a function that returns, 3M calls
def f(x):
    return x + 1

i = 0
while i < 3000000:
    i = f(i)
print(i)
