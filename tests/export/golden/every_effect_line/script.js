'use strict;'
let VLM_DATA=[
`{
	"id":"vlm_1234",
	"Map":"0104 0104 ",
	"audio":{"src":"VLM/music.ogg","volume":0.35},
	"colors":[
		{	"color":1,
			"properties": {
				"over": {
					"message": { "text":"Привет","style":"red_big","type":"think","x1":10,"y1":20,"x2":30,"y2":40 },
					"picture": { "src":"VLM/pop.png","style":"green_middle","type":"pointer","x1":1,"y1":2,"x2":3,"y2":4 },
					"overlay": { "src":"VLM/over.gif","x":5,"y":6 },
					"copytext": "copy me",
					"jscode": "alert(1)",
					"audio": { "src":"VLM/ding.mp3","volume":1 },
					"link": "https://example.org/x",
					"background": { "brightness":"10","contrast":"-20","gamma":"1.5","grayscale":false},
					"area": { "brightness":"-5","contrast":"7","gamma":"0.5","grayscale":true},
					"q":0
				},
				"click": {
					"q":0
				},
				"dblclick": {
					"q":0
				}
			}
		},
		{ "q":0 }
	]
}`
];
