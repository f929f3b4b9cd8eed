[playlist]
File1=a.mp3
Title1=A
File2=sub\d.mp3
File3=b c.mp3
File4=x=a.mp3
NumberOfEntries=4
Version=2
